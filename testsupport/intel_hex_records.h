// Intel HEX data records written by hand, for tests that need a file made
// independently of the image file library they exercise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zrb::test {

// One data record of `count` bytes of `data` from `from`, at a 16-bit
// address, with its checksum and a line end.
inline std::string intelHexRecord(uint16_t address, const std::vector<uint8_t>& data, std::size_t from,
                                  std::size_t count) {
  std::string line = ":";
  uint8_t sum = 0;
  auto put = [&](uint8_t byte) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    line += digits;
    sum = static_cast<uint8_t>(sum + byte);
  };
  put(static_cast<uint8_t>(count));
  put(static_cast<uint8_t>(address >> 8));
  put(static_cast<uint8_t>(address));
  put(0);
  for (std::size_t i = 0; i < count; ++i) put(data[from + i]);
  put(static_cast<uint8_t>(-sum));
  return line + "\n";
}

inline constexpr const char* kIntelHexEnd = ":00000001FF\n";

}  // namespace zrb::test
