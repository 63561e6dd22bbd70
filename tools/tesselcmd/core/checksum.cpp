#include "checksum.h"

#include <array>

namespace tesselcmd {
namespace {

constexpr std::array<uint32_t, 256> makeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

}  // namespace

void RangeChecksum::add(std::span<const uint8_t> bytes) {
  uint32_t crc = crc_;
  uint16_t sum = sum_;
  for (uint8_t byte : bytes) {
    crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    sum = static_cast<uint16_t>(sum + byte);
  }
  crc_ = crc;
  sum_ = sum;
}

}  // namespace tesselcmd
