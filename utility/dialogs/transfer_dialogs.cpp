#include "transfer_dialogs.h"

#include <array>
#include <cstdio>
#include <vector>

#include "device_tables.h"
#include "number_entry.h"
#include "texts.h"

namespace tessel {
namespace {

constexpr char kFileNameValue[] = "FileName";
constexpr char kStartValue[] = "StartAddr";
constexpr char kEndValue[] = "EndAddr";
constexpr char kOffsetValue[] = "Offset";
constexpr char kFileTypeValue[] = "FileType";
constexpr char kOptionValue[] = "Option";

constexpr std::array<std::string_view, 3> kKeys = {
    "\\Software\\Orvane\\tessel\\ReadFile",
    "\\Software\\Orvane\\tessel\\WriteFile",
    "\\Software\\Orvane\\tessel\\CompFile",
};

std::optional<uint32_t> readWord(SettingsStore& store, std::string_view key, std::string_view name) {
  std::optional<std::vector<uint8_t>> bytes = store.readBinary(key, name);
  if (!bytes || bytes->size() != 4) return std::nullopt;
  const std::vector<uint8_t>& b = *bytes;
  return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void writeWord(SettingsStore& store, std::string_view key, std::string_view name, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  store.writeBinary(key, name, bytes);
}

// Characters, not bytes: a UTF-8 continuation byte does not start one.
std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text)
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++count;
  return count;
}

bool fileNameFits(std::string_view name) {
  return characterCount(name) <= TransferDialogModel::kMaxFileNameLength;
}

std::string hex8(uint32_t value) {
  char buffer[9];
  std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
  return buffer;
}

std::vector<std::string> fileTypeItems() {
  std::vector<std::string> items;
  for (unsigned index = 0; index < kFileTypeCount; ++index) items.emplace_back(fileTypeName(index));
  return items;
}

}  // namespace

std::string_view transferSettingsKey(TransferKind kind) { return kKeys[static_cast<std::size_t>(kind)]; }

std::string signedOffsetText(int32_t offset) {
  // The magnitude in unsigned arithmetic, so the most negative offset shows
  // as "-80000000" instead of overflowing.
  uint32_t bits = static_cast<uint32_t>(offset);
  if (offset >= 0) return hex8(bits);
  // Appended rather than "-" + text: GCC 12 warns falsely about the latter.
  std::string text = "-";
  text += hex8(0u - bits);
  return text;
}

TransferDialogModel::TransferDialogModel(TransferKind kind, CardAccess& access, FileProbe& files)
    : kind_(kind), access_(access), files_(files) {}

void TransferDialogModel::load(SettingsStore& store) {
  values_ = TransferValues{};
  const std::string_view key = transferSettingsKey(kind_);
  if (!store.openKey(key)) {
    access_.messages().showOk(text(sid::kRegistryError));
    return;
  }
  if (std::optional<std::string> name = store.readString(key, kFileNameValue); name && fileNameFits(*name))
    values_.fileName = std::move(*name);

  // The numbers were always written together, "StartAddr" among them; without
  // it the rest is not trusted either.
  std::optional<uint32_t> start = readWord(store, key, kStartValue);
  if (!start) return;
  values_.start = *start;
  values_.end = readWord(store, key, kEndValue).value_or(values_.end);
  if (hasOffset()) values_.offset = static_cast<int32_t>(readWord(store, key, kOffsetValue).value_or(0));
  std::optional<std::vector<uint8_t>> type = store.readBinary(key, kFileTypeValue);
  // The index goes to the image file library unchanged: only the box's own entries are taken.
  if (type && type->size() == 1 && (*type)[0] < kFileTypeCount) values_.fileType = (*type)[0];
  if (hasCompareOption()) {
    std::optional<uint32_t> option = store.readNumber(key, kOptionValue);
    values_.compareAfterWrite = option && *option != 0;
  }
}

void TransferDialogModel::save(SettingsStore& store) const {
  const std::string_view key = transferSettingsKey(kind_);
  if (!store.openKey(key)) {
    access_.messages().showOk(text(sid::kRegistryError));
    return;
  }
  store.writeString(key, kFileNameValue, values_.fileName);
  writeWord(store, key, kStartValue, values_.start);
  writeWord(store, key, kEndValue, values_.end);
  if (hasOffset()) writeWord(store, key, kOffsetValue, static_cast<uint32_t>(values_.offset));
  const uint8_t type[1] = {values_.fileType};
  store.writeBinary(key, kFileTypeValue, type);
  if (hasCompareOption()) store.writeNumber(key, kOptionValue, values_.compareAfterWrite ? 1 : 0);
}

void TransferDialogModel::fitToArea(uint32_t size) {
  // For an area of size 0 the last address wraps to FFFFFFFF; OK then
  // refuses every range, which is right for an area that does not exist.
  const uint32_t last = size - 1;
  if (values_.start != 0 && values_.start >= size) values_.start = 0;
  if (values_.end != last && (values_.end < values_.start || values_.end > last)) values_.end = last;
}

void TransferDialogModel::activate() {
  socketName_ = std::string(text(sid::kSocket)) + std::to_string(socket + 1);
  attributeName_ = text(space != 0 ? sid::kAttribute : sid::kCommon);
  regionName_ = std::string(text(sid::kRegion)) + std::to_string(region + 1);
  startText_ = hex8(values_.start);
  endText_ = hex8(values_.end);
  offsetText_ = signedOffsetText(values_.offset);
  fileNameText_ = values_.fileName;
  fileTypeBox_.fill(fileTypeItems(), values_.fileType);
  compareOption_ = values_.compareAfterWrite;
  focus_ = fileNameText_.empty() ? TransferFocus::FileName : TransferFocus::OkButton;
}

void TransferDialogModel::browse(FilePicker& picker) {
  FilePicker::Purpose purpose =
      kind_ == TransferKind::Read ? FilePicker::Purpose::Save : FilePicker::Purpose::Open;
  if (std::optional<std::string> chosen = picker.pick(purpose, fileNameText_))
    fileNameText_ = std::move(*chosen);
}

bool TransferDialogModel::parseAddress(const std::string& text, uint32_t& address) {
  int32_t value = 0;
  if (!parseDecimal("$" + text, value, access_.messages())) return false;
  address = static_cast<uint32_t>(value);
  return true;
}

DialogStep TransferDialogModel::okBtnClick() {
  focus_ = TransferFocus::OkButton;
  if (fileNameText_.empty()) return DialogStep::StayOpen;
  if (!fileNameFits(fileNameText_)) {
    access_.messages().showOk(text(sid::kFileNameTooLong));
    focus_ = TransferFocus::FileName;
    return DialogStep::StayOpen;
  }
  // Each number is kept as soon as it converts: the next showing starts from
  // what the user typed even if a later check sends the dialog back.
  if (!parseAddress(startText_, values_.start)) return DialogStep::StayOpen;
  if (!parseAddress(endText_, values_.end)) return DialogStep::StayOpen;
  if (hasOffset() && !parseHex(offsetText_, values_.offset, access_.messages())) return DialogStep::StayOpen;
  if (!access_.checkAddressRange(values_.start, values_.end)) return DialogStep::StayOpen;
  if (kind_ == TransferKind::Read && files_.exists(fileNameText_) &&
      !access_.messages().askYesNo(text(sid::kOverwriteQuestion))) {
    focus_ = TransferFocus::FileName;
    return DialogStep::StayOpen;
  }
  values_.fileName = fileNameText_;
  if (fileTypeBox_.selected >= 0) values_.fileType = static_cast<uint8_t>(fileTypeBox_.selected);
  if (hasCompareOption()) values_.compareAfterWrite = compareOption_;
  return DialogStep::CloseOk;
}

}  // namespace tessel
