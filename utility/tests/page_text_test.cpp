// The card window's list texts and its caret arithmetic.
#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "page_text.h"

namespace tessel {
namespace {

std::string charsOf(std::initializer_list<uint8_t> start) {
  std::array<uint8_t, 16> line{};
  line.fill('A');
  std::copy(start.begin(), start.end(), line.begin());
  return charLine(line.data());
}

TEST(PageText, ListsHoldSixteenLinesOfAddressesHexAndCharacters) {
  std::array<uint8_t, kPageBytes> page;
  std::iota(page.begin(), page.end(), 0);
  PageText text = pageText(0xFFF00, page.data());
  EXPECT_EQ(text.addresses.substr(0, 18), "000FFF00\r\n000FFF10");
  EXPECT_EQ(text.addresses.size(), 16u * 8 + 15 * 2);
  EXPECT_EQ(text.dump.substr(0, 49), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n");
  EXPECT_EQ(text.dump.size(), 16u * kDumpLineLength - 2);
  EXPECT_EQ(text.dump.substr(15 * kDumpLineLength), "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF");
  EXPECT_EQ(text.chars.size(), 16u * kCharLineLength - 2);
  EXPECT_EQ(text.chars.substr(2 * kCharLineLength, 16), " !\"#$%&'()*+,-./");
  EXPECT_EQ(addressLine(0xABCDEF12), "ABCDEF12");
}

TEST(PageText, CharacterColumnIsShiftJisAwareAndNeverSplitsACharacterAcrossLines) {
  EXPECT_EQ(charsOf({0x81, 0x40}), "\x81\x40" + std::string(14, 'A'));  // one double-byte character
  EXPECT_EQ(charsOf({0xE0, 0xFC}), "\xE0\xFC" + std::string(14, 'A'));
  EXPECT_EQ(charsOf({0x81, 0x7F}), ".." + std::string(14, 'A'));  // 0x7F is no second byte
  EXPECT_EQ(charsOf({0x81, 0x81, 0x81, 0x20}),
            "\x81\x81. " + std::string(12, 'A'));  // the third lacks a partner
  EXPECT_EQ(charsOf({0xA1, 0xDF, 0xA0, 0xE0, 0x1F, 0x7E}),
            "\xA1\xDF"
            "...~" +
                std::string(10, 'A'));
  EXPECT_EQ(charsOf({0x00, 0x7F, 0xFD, 0x80}), "....AAAAAAAAAAAA");

  std::array<uint8_t, 32> twoLines{};
  twoLines.fill('B');
  twoLines[15] = 0x81;  // a first byte at the line end, its partner on the next line
  twoLines[16] = 0x40;
  EXPECT_EQ(charLine(twoLines.data()), std::string(15, 'B') + ".");
  EXPECT_EQ(charLine(twoLines.data() + 16), "@" + std::string(15, 'B'));
}

TEST(PageText, BytesPastTheAreasEndShowBlankAndTheirLinesHaveNoAddress) {
  std::array<uint8_t, kPageBytes> page{};
  page.fill(0x41);
  LineText partial = pageLine(0x100, page.data(), 1, 20);
  EXPECT_EQ(partial.address, "00000110");
  EXPECT_EQ(partial.dump, "41 41 41 41" + std::string(36, ' '));
  EXPECT_EQ(partial.chars, "AAAA" + std::string(12, ' '));
  LineText absent = pageLine(0x100, page.data(), 2, 20);
  EXPECT_EQ(absent.address, "");
  EXPECT_EQ(absent.dump.size(), 47u);
  page[19] = 0x81;  // a first byte whose partner lies past the end
  page[20] = 0x40;
  EXPECT_EQ(pageLine(0, page.data(), 1, 20).chars, "AAA." + std::string(12, ' '));
}

TEST(PageText, CaretPositionsMapToByteIndexesBothWays) {
  for (unsigned index = 0; index < kPageBytes; ++index) {
    EXPECT_EQ(dumpIndexAt(dumpPositionOf(index)), index);
    EXPECT_EQ(dumpIndexAt(dumpPositionOf(index) + 1), index);  // low digit
    EXPECT_TRUE(onLowDigit(dumpPositionOf(index) + 1));
    EXPECT_FALSE(onLowDigit(dumpPositionOf(index)));
    EXPECT_EQ(charIndexAt(charPositionOf(index)), index);
  }
  EXPECT_EQ(dumpPositionOf(17), 49u + 3);
  EXPECT_EQ(charPositionOf(17), 18u + 1);
  EXPECT_EQ(dumpIndexAt(49 + 5), 17u);  // the blank after byte 17
  EXPECT_FALSE(onLowDigit(49 + 5));
  // Line ends count as the line's last byte, never as a byte of the next page.
  EXPECT_EQ(dumpIndexAt(15 * 49 + 48), 255u);
  EXPECT_FALSE(onLowDigit(47));
  EXPECT_EQ(charIndexAt(15 * 18 + 17), 255u);
  EXPECT_EQ(charIndexAt(16), 15u);
}

}  // namespace
}  // namespace tessel
