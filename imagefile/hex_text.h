// Hexadecimal digits of the text formats: upper case only, both ways.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hexo {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

// Appends the low `digits` hexadecimal digits of value, high digit first.
inline char* appendHex(char* out, uint32_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = kUpperDigits[(value >> shift) & 0xF];
  return out;
}

// Both digits of every byte value, so that a byte costs one lookup.
constexpr std::array<std::array<char, 2>, 256> makeBytePairs() {
  std::array<std::array<char, 2>, 256> pairs{};
  for (int value = 0; value < 256; ++value)
    pairs[value] = {kUpperDigits[value >> 4], kUpperDigits[value & 0xF]};
  return pairs;
}
inline constexpr std::array<std::array<char, 2>, 256> kBytePairs = makeBytePairs();

inline char* appendByte(char* out, uint8_t value) {
  std::memcpy(out, kBytePairs[value].data(), 2);
  return out + 2;
}

// Value of an upper-case hexadecimal digit, or -1 for any other character.
int digitValue(char c);

// Converts `pairs` digit pairs, the first at line[firstChar], into bytes stored
// over the front of the same buffer (byte i at line[i]). Stops at the first
// character that is not a digit, the line's terminating NUL included, so it
// never reads past the line. Returns false there.
bool decodePairsInPlace(char* line, size_t firstChar, size_t pairs);

}  // namespace hexo
