// The byte pattern that search and fill take from their pattern edit:
// either text in double quotes, taken byte for byte, or hexadecimal pairs
// with anything else between them, at most 16 bytes either way.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tessel {

struct DataPattern {
  static constexpr std::size_t kMaxBytes = 16;

  std::array<uint8_t, kMaxBytes> bytes{};
  uint8_t length = 0;

  std::span<const uint8_t> view() const { return {bytes.data(), length}; }
  bool empty() const { return length == 0; }
};

// `text` holds the bytes the card is to match or receive, so quoted text is
// expected in the code page the card window's character list shows. Bytes
// past the sixteenth are dropped.
DataPattern parseDataPattern(std::string_view text);

}  // namespace tessel
