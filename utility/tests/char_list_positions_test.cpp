// Caret positions of the character list between the model's bytes and the
// edit control's UTF-16 units.
#include <gtest/gtest.h>

#include <string>

#include "char_list_positions.h"

namespace tessel {
namespace {

// "AB", the double-byte character 0x82 0xA0, then 12 single bytes: 16 bytes, 15 units.
const std::string kMixed = std::string("AB\x82\xA0") + "CDEFGHIJKLMN";
const std::string kPlain = "0123456789ABCDEF";

TEST(CharListPositions, ADoubleByteCharacterIsTwoPositionsButOneUnit) {
  EXPECT_EQ(unitsOfPrefix(kMixed, 2), 2u);
  EXPECT_EQ(unitsOfPrefix(kMixed, 4), 3u);
  EXPECT_EQ(unitsOfPrefix(kMixed, 16), 15u);
  // The second byte shares the unit of the first: the caret stands before the character.
  EXPECT_EQ(unitsOfPrefix(kMixed, 3), 2u);
  EXPECT_EQ(bytesOfPrefix(kMixed, 2), 2u);
  EXPECT_EQ(bytesOfPrefix(kMixed, 3), 4u);
  EXPECT_EQ(bytesOfPrefix(kMixed, 15), 16u);
  EXPECT_EQ(bytesOfPrefix(kMixed, 40), 16u);
}

TEST(CharListPositions, ALeadByteWithoutSecondByteStandsAlone) {
  const std::string line = std::string("ABCDEFGHIJKLMNO") + "\x81";
  EXPECT_EQ(unitsOfPrefix(line, 16), 16u);
  EXPECT_EQ(bytesOfPrefix(line, 15), 15u);
}

TEST(CharListPositions, LinesAfterADoubleByteCharacterAreShiftedByOneUnitEach) {
  CharListPositions map;
  for (unsigned k = 0; k < CharListPositions::kLines; ++k) map.setLine(k, kPlain);
  map.setLine(1, kMixed);
  // Line 0 is plain; line 1 starts at 18 in both counts.
  EXPECT_EQ(map.toUnits(5), 5u);
  EXPECT_EQ(map.toUnits(18), 18u);
  EXPECT_EQ(map.toUnits(18 + 4), 18u + 3);
  // Line 2 starts at 36 bytes but 35 units: the pair of line 1 took one unit.
  EXPECT_EQ(map.toUnits(36), 35u);
  EXPECT_EQ(map.toUnits(36 + 7), 35u + 7);
  EXPECT_EQ(map.toBytes(35), 36u);
  EXPECT_EQ(map.toBytes(35 + 7), 36u + 7);
  // The line end of line 1: after its 15 units come CR and LF.
  EXPECT_EQ(map.toBytes(18 + 15), 18u + 16);
  EXPECT_EQ(map.toBytes(18 + 16), 18u + 17);
}

TEST(CharListPositions, EveryPositionOfAPageSurvivesTheRoundTripExceptSecondBytes) {
  CharListPositions map;
  for (unsigned k = 0; k < CharListPositions::kLines; ++k) map.setLine(k, k % 2 ? kMixed : kPlain);
  for (unsigned k = 0; k < CharListPositions::kLines; ++k) {
    for (unsigned column = 0; column < 16; ++column) {
      unsigned position = 18 * k + column;
      bool secondByte = k % 2 == 1 && column == 3;
      EXPECT_EQ(map.toBytes(map.toUnits(position)), secondByte ? position - 1 : position) << position;
    }
  }
}

TEST(CharListPositions, TheCaretTheModelPlacedComesBackExactlyWhileItStaysThere) {
  CharListPositions map;
  for (unsigned k = 0; k < CharListPositions::kLines; ++k) map.setLine(k, kMixed);
  // The second byte of the pair on line 0 has no unit of its own.
  unsigned units = map.place(3);
  EXPECT_EQ(units, 2u);
  EXPECT_EQ(map.caretAt(units), 3u);
  // Moved elsewhere by the user: converted afresh.
  EXPECT_EQ(map.caretAt(units + 1), 4u);
  map.clear();
  EXPECT_EQ(map.caretAt(0), 0u);
}

}  // namespace
}  // namespace tessel
