#include "hex_text.h"

#include <array>

namespace hexo {

namespace {

constexpr std::array<int8_t, 256> makeDigitTable() {
  std::array<int8_t, 256> table{};
  for (auto& entry : table) entry = -1;
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) table['A' + i] = static_cast<int8_t>(10 + i);
  return table;
}

constexpr std::array<int8_t, 256> kDigitTable = makeDigitTable();

}  // namespace

int digitValue(char c) { return kDigitTable[static_cast<uint8_t>(c)]; }

bool decodePairsInPlace(char* line, size_t firstChar, size_t pairs) {
  const char* source = line + firstChar;
  for (size_t i = 0; i < pairs; ++i) {
    // The low digit is looked at only once the high one proved to be a digit,
    // so the scan ends at the NUL at the latest.
    const int high = digitValue(source[0]);
    if (high < 0) return false;
    const int low = digitValue(source[1]);
    if (low < 0) return false;
    line[i] = static_cast<char>(high << 4 | low);
    source += 2;
  }
  return true;
}

}  // namespace hexo
