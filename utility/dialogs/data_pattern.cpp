#include "data_pattern.h"

#include <optional>

namespace tessel {
namespace {

std::optional<uint8_t> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

void append(DataPattern& pattern, uint8_t byte) {
  if (pattern.length < DataPattern::kMaxBytes) pattern.bytes[pattern.length++] = byte;
}

}  // namespace

DataPattern parseDataPattern(std::string_view text) {
  DataPattern pattern;
  if (!text.empty() && text.front() == '"') {
    std::string_view quoted = text.substr(1);
    quoted = quoted.substr(0, quoted.find('"'));
    for (char c : quoted) append(pattern, static_cast<uint8_t>(c));
    return pattern;
  }
  // A lone digit before a separator or at the end is a byte of its own, so
  // "1 2" means two bytes and "123" ends in 0x03.
  for (std::size_t i = 0; i < text.size() && pattern.length < DataPattern::kMaxBytes;) {
    std::optional<uint8_t> high = hexDigit(text[i++]);
    if (!high) continue;
    if (i == text.size()) {
      append(pattern, *high);
      break;
    }
    std::optional<uint8_t> low = hexDigit(text[i++]);
    append(pattern, low ? static_cast<uint8_t>(*high << 4 | *low) : *high);
  }
  return pattern;
}

}  // namespace tessel
