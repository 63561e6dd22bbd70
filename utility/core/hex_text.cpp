#include "hex_text.h"

#include <algorithm>

#include "card_service.h"
#include "page_text.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

constexpr uint8_t kTypeSram = 0;
constexpr uint8_t kTypeEeprom = 1;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

HexTextResult parseHexText(std::string_view text, std::array<uint8_t, kPasteCapacity>& buffer) {
  // Parsed into a scratch copy first: a refused text leaves the caller's buffer as it was.
  std::array<uint8_t, kPasteCapacity> bytes{};
  unsigned count = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (isBlank(text[i])) {
      ++i;
      continue;
    }
    // A byte is exactly two digits followed by a blank or the end of the text.
    const int high = hexDigit(text[i]);
    const int low = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0 || (i + 2 < text.size() && !isBlank(text[i + 2])))
      return {HexTextStatus::NotHexBytes, 0};
    if (count == kPasteCapacity) return {HexTextStatus::TooManyBytes, 0};
    bytes[count++] = static_cast<uint8_t>(high << 4 | low);
    i += 2;
  }
  if (count == 0) return {HexTextStatus::Empty, 0};
  std::copy_n(bytes.begin(), count, buffer.begin());
  return {HexTextStatus::Bytes, count};
}

std::string_view hexTextMessage(HexTextStatus status) {
  switch (status) {
    case HexTextStatus::NotHexBytes:
      return text(sid::kPasteNotHexBytes);
    case HexTextStatus::TooManyBytes:
      return text(sid::kPasteTooManyBytes);
    default:
      return {};
  }
}

std::optional<ByteSpan> dumpSelectionBytes(unsigned start, unsigned end, unsigned validBytes) {
  std::optional<ByteSpan> bytes;
  if (start >= end) return bytes;
  const unsigned valid = std::min(validBytes, kPageBytes);
  for (unsigned index = 0; index < valid; ++index) {
    const unsigned digits = dumpPositionOf(index);  // the byte's two digits: digits, digits + 1
    if (start >= digits + 2 || end <= digits) continue;
    if (!bytes) bytes = ByteSpan{index, 0};
    bytes->count = index - bytes->first + 1;
  }
  return bytes;
}

std::string dumpSelectionText(std::string_view dumpText, ByteSpan bytes) {
  if (bytes.count == 0) return {};
  const size_t from = dumpPositionOf(bytes.first);
  const size_t to = dumpPositionOf(bytes.first + bytes.count - 1) + 2;
  if (from >= dumpText.size()) return {};
  return std::string(dumpText.substr(from, to - from));
}

std::optional<ByteSpan> charSelectionBytes(unsigned start, unsigned end, unsigned validBytes) {
  if (start >= end) return std::nullopt;
  // Columns 16 and 17 of a line are its line end: a selection starting there
  // starts with the next line; one ending there ends after the line's last byte.
  const auto byteAt = [](unsigned position) {
    const unsigned line = position / kCharLineLength, column = position % kCharLineLength;
    return line * kLineBytes + std::min(column, kLineBytes);
  };
  const unsigned first = byteAt(start);
  const unsigned valid = std::min(validBytes, kPageBytes);
  if (first >= valid) return std::nullopt;
  const unsigned last = std::min(byteAt(end), valid);  // one past the last byte
  return ByteSpan{first, std::max(last, first + 1) - first};
}

uint32_t pasteLength(uint32_t address, uint32_t count, uint32_t areaSize) {
  if (address >= areaSize) return 0;
  return std::min(count, areaSize - address);
}

uint16_t pasteRefusal(bool writeProtected, uint8_t deviceType) {
  if (writeProtected) return cardservice::CS_WRITE_PROTECTED;
  if (deviceType != kTypeSram && deviceType != kTypeEeprom) return R_NOT_PASTEABLE;
  return R_SUCCESS;
}

void CopyState::copiedHexText() {
  count_ = kTextMarker;
  clipboardText_.clear();
}

void CopyState::copiedBytes(std::span<const uint8_t> bytes, std::string clipboardText) {
  const size_t count = std::min<size_t>(bytes.size(), kPasteCapacity);
  std::copy_n(bytes.begin(), count, buffer_.begin());
  count_ = static_cast<uint16_t>(count);
  clipboardText_ = std::move(clipboardText);
}

PasteSource CopyState::pasteSource(std::string_view clipboardTextNow) const {
  if (count_ == 0) return PasteSource::Nothing;
  if (count_ == kTextMarker) return PasteSource::ClipboardText;
  return clipboardTextNow == clipboardText_ ? PasteSource::CopyBuffer : PasteSource::ClipboardText;
}

std::span<const uint8_t> CopyState::bytes() const {
  return {buffer_.data(), count_ == kTextMarker ? 0u : count_};
}

}  // namespace tessel
