// The two sums programmer tools print for a memory range: the common CRC-32
// (reflected, polynomial 0xEDB88320, as zip and Ethernet use it) and the
// 16-bit sum of the bytes.
#pragma once

#include <cstdint>
#include <span>

namespace tesselcmd {

class RangeChecksum {
 public:
  void add(std::span<const uint8_t> bytes);
  uint32_t crc32() const { return ~crc_; }
  uint16_t sum16() const { return sum_; }

 private:
  uint32_t crc_ = 0xFFFFFFFF;
  uint16_t sum_ = 0;
};

}  // namespace tesselcmd
