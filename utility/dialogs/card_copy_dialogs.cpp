#include "card_copy_dialogs.h"

#include <algorithm>

#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

constexpr int kCommonItem = 0;
constexpr int kAttributeItem = 1;

}  // namespace

void CardCopyDialogModel::preset(uint8_t windowSocket, uint8_t windowSpace, uint8_t windowRegion,
                                 uint32_t areaSize) {
  socket = windowSocket;
  space = windowSpace != 0 ? 1 : 0;
  region = windowRegion;
  start = 0;
  end = areaSize - 1;
  destSocket = access_.findOtherReadySocket(windowSocket);
  destSpace = space;
  destRegion = 0;
  destStart = 0;
}

void CardCopyDialogModel::fillAreaBox(uint8_t socketIndex) {
  const auto& records = access_.sockets().info;
  unsigned regions = socketIndex < records.size() ? records[socketIndex].regionCount : 0;
  areaBox_.fill(numberedItems(text(sid::kRegion), std::min(regions, kMaxRegions)), 0);
}

uint32_t CardCopyDialogModel::chosenDestSize() const {
  int socketIndex = socketBox_.selected;
  if (socketIndex < 0) return 0;
  if (attributeBox_.selected == kAttributeItem)
    return access_.areaSize(static_cast<uint8_t>(socketIndex), 1, 0);
  // A card without common memory leaves the region list empty: there is no
  // common area to copy to or compare with.
  if (areaBox_.selected < 0) return 0;
  return access_.areaSize(static_cast<uint8_t>(socketIndex), 0, static_cast<uint8_t>(areaBox_.selected));
}

void CardCopyDialogModel::showDestEnd() {
  uint32_t size = chosenDestSize();
  destEndInfo_ = size != 0 ? addressText(size - 1) : std::string();
}

void CardCopyDialogModel::activate() {
  labels_ = AreaLabels::of(socket, space, region);
  startText_ = addressText(start);
  endText_ = addressText(end);
  socketBox_.fill(numberedItems(text(sid::kSocket), access_.socketCount()), destSocket);
  attributeBox_.fill({std::string(text(sid::kCommon)), std::string(text(sid::kAttribute))},
                     destSpace != 0 ? kAttributeItem : kCommonItem);
  fillAreaBox(destSocket);
  areaBox_.choose(destRegion);
  destStartText_ = addressText(destStart);
  showDestEnd();
}

void CardCopyDialogModel::destSocketChange(int index) {
  const SocketTable& table = access_.sockets();
  // Usable is what counts, not the whole status byte: a write-protected card
  // can still be compared, and a copy onto it is refused by the card window
  // with its own message.
  if (index < 0 || index >= static_cast<int>(table.count) ||
      !cardUsable(table.state[static_cast<unsigned>(index)])) {
    socketBox_.choose(destSocket);
    return;
  }
  socketBox_.choose(index);
  fillAreaBox(static_cast<uint8_t>(index));
  attributeBox_.choose(kCommonItem);
  destStartText_ = addressText(0);
  destSocket = static_cast<uint8_t>(index);
  showDestEnd();
}

void CardCopyDialogModel::destRegionChange(int index) {
  areaBox_.choose(index);
  destStartText_ = addressText(0);
  showDestEnd();
}

void CardCopyDialogModel::destSpaceChange(int index) {
  attributeBox_.choose(index);
  showDestEnd();
}

bool CardCopyDialogModel::overlapsSource(uint32_t length) const {
  bool sameArea = socketBox_.selected == socket &&
                  attributeBox_.selected == (space != 0 ? kAttributeItem : kCommonItem) &&
                  (space != 0 || areaBox_.selected == region);
  if (!sameArea) return false;
  return uint64_t{destStart} < uint64_t{start} + length && uint64_t{start} < uint64_t{destStart} + length;
}

DialogStep CardCopyDialogModel::okBtnClick() {
  UserMessages& messages = access_.messages();
  if (!convertAddress(startText_, start, messages) || !convertAddress(endText_, end, messages) ||
      !access_.checkAddressRange(start, end))
    return DialogStep::StayOpen;
  if (!convertAddress(destStartText_, destStart, messages)) return DialogStep::StayOpen;

  // The destination block is measured against the destination area alone:
  // the source area's size says nothing about where the copy may land.
  uint32_t size = chosenDestSize();
  if (size == 0) {
    access_.showCardError(R_NO_DEVICE);
    return DialogStep::StayOpen;
  }
  uint32_t length = end - start + 1;  // the range check keeps end below 0xFFFFFFFF
  if (destStart > size || size - destStart < length) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }
  // A copy onto an overlapping part of its own area would, in one of the
  // two directions, read source bytes it has already overwritten. Rather
  // than leave the direction to the copy loop, such a copy is refused; the
  // move command is there for shifting data within an area.
  if (kind_ == CardCopyKind::Copy && overlapsSource(length)) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }

  destSocket = static_cast<uint8_t>(socketBox_.selected);
  destSpace = static_cast<uint8_t>(attributeBox_.selected == kAttributeItem ? 1 : 0);
  destRegion = static_cast<uint8_t>(std::max(areaBox_.selected, 0));
  return DialogStep::CloseOk;
}

}  // namespace tessel
