#include "range_dialogs.h"

#include "result_codes.h"

namespace tessel {
namespace {

// An end address whose successor does not fit 32 bits: the search loops
// count to end + 1, so it is never taken.
constexpr uint32_t kNoEnd = 0xFFFFFFFF;

}  // namespace

void AddressRangeEdits::showAddresses() {
  startText_ = addressText(start);
  endText_ = addressText(end);
}

void PatternDialogModel::setPatternText(std::string text) { patternText_ = std::move(text); }

bool PatternDialogModel::takePattern() {
  DataPattern converted = parseDataPattern(patternText_);
  if (converted.empty()) return false;
  pattern = converted;
  return true;
}

void SearchDialogModel::activate() {
  showAddresses();
  direction_ = (options & kBackward) != 0 ? 1 : 0;
  condition_ = (options & kMismatch) != 0 ? 1 : 0;
}

DialogStep SearchDialogModel::okBtnClick() {
  options = static_cast<uint8_t>((options & ~(kBackward | kMismatch)) | (direction_ != 0 ? kBackward : 0) |
                                 (condition_ != 0 ? kMismatch : 0));
  if (!takePattern()) return DialogStep::StayOpen;
  UserMessages& messages = access_.messages();
  if (!convertAddress(startText_, start, messages)) return DialogStep::StayOpen;
  // The end is kept apart: the preset end is the limit of the search, and it
  // only gives way to a new end inside it.
  uint32_t newEnd = 0;
  if (!convertAddress(endText_, newEnd, messages) || newEnd == kNoEnd) return DialogStep::StayOpen;
  // A range that ends before it starts would search nothing, and say so
  // only as "not found": it is refused here like any range outside the preset.
  if (start >= end || newEnd > end || newEnd < start) return DialogStep::StayOpen;
  end = newEnd;
  return DialogStep::CloseOk;
}

DialogStep FillDialogModel::okBtnClick() {
  if (!takePattern()) {
    access_.showCardError(R_PARAMETER);
    return DialogStep::StayOpen;
  }
  UserMessages& messages = access_.messages();
  if (!convertAddress(startText_, start, messages) || !convertAddress(endText_, end, messages) ||
      !access_.checkAddressRange(start, end))
    return DialogStep::StayOpen;
  return DialogStep::CloseOk;
}

void AreaRangeDialogModel::activate() {
  labels_ = AreaLabels::of(socket, space, region);
  showAddresses();
}

DialogStep AreaRangeDialogModel::okBtnClick() {
  if (!convertStart() || !convertEnd() || !access_.checkAddressRange(start, end)) return DialogStep::StayOpen;
  return DialogStep::CloseOk;
}

void MoveDialogModel::activate() {
  AreaRangeDialogModel::activate();
  destinationText_ = addressText(destination);
}

DialogStep MoveDialogModel::okBtnClick() {
  if (!convertStart() || !convertEnd() || !convertAddress(destinationText_, destination, access_.messages()))
    return DialogStep::StayOpen;
  if (!access_.checkAddressRange(start, end) || !access_.checkAddressRange(0, destination))
    return DialogStep::StayOpen;
  // Both lie below the area size here, so the block's last address cannot
  // pass 32 bits for any area the card manager reports; 64 bits keep it so.
  uint64_t last = uint64_t{destination} + (end - start);
  if (last > kNoEnd) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }
  if (!access_.checkAddressRange(destination, static_cast<uint32_t>(last))) return DialogStep::StayOpen;
  return DialogStep::CloseOk;
}

uint32_t EraseDialogModel::blockSize() const {
  const auto& records = access_.sockets().info;
  if (socket >= records.size() || (space == 0 && region >= kMaxRegions)) return 0;
  return records[socket].eraseUnit[space != 0 ? kAttributeArea : region];
}

DialogStep EraseDialogModel::okBtnClick() {
  if (!convertStart()) return DialogStep::StayOpen;
  // An area without an erase block size has no device to erase.
  uint32_t block = blockSize();
  if (block == 0 || start % block != 0) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }
  if (!convertEnd()) return DialogStep::StayOpen;
  // Attribute memory is checked as common memory is: an unchecked end could
  // lie past the area, or make the length end - start + 1 wrap to nothing
  // and an erase of no bytes report success.
  if (!access_.checkAddressRange(start, end)) return DialogStep::StayOpen;
  if ((end - start + 1) % block != 0) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }
  eraseCheck = optionChecked_;
  return DialogStep::CloseOk;
}

}  // namespace tessel
