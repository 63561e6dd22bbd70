// Shift-JIS whatever the system's code page: the texts and the cuts that
// callers' fixed buffers make.
#include <gtest/gtest.h>

#include <cstring>

#include "win32_text.h"

namespace zrb::win {
namespace {

TEST(Text, Utf8AndUtf16RoundTripIncludingCharactersOutsideTheBasicPlane) {
  const std::string utf8 = "カード \xF0\x9F\x98\x80 ｶｰﾄﾞ";
  const std::wstring wide = utf8ToWide(utf8);
  EXPECT_EQ(wide, L"カード \U0001F600 ｶｰﾄﾞ");
  EXPECT_EQ(wideToUtf8(wide), utf8);
  EXPECT_EQ(utf8ToWide(""), L"");
  EXPECT_EQ(wideToUtf8(L""), "");
}

TEST(Text, ShiftJisOfFullAndHalfWidthKatakana) {
  // カ = 83 4A (two bytes), ｶ = B6 (one byte), ー = 81 5B.
  EXPECT_EQ(wideToShiftJis(L"カｶー"), "\x83\x4A\xB6\x81\x5B");
  EXPECT_EQ(shiftJisToWide("\x83\x4A\xB6\x81\x5B"), L"カｶー");
  EXPECT_EQ(wideToShiftJis(L"A\u0E01"), "A?");  // nothing in code page 932 for it
}

TEST(Text, CopyCutsBetweenCharactersNeverInsideOne) {
  const std::wstring text = L"aカｶー";  // 1 + 2 + 1 + 2 bytes
  char out[16];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(copyShiftJis(text, out, sizeof out), 6u);
  EXPECT_STREQ(out, "a\x83\x4A\xB6\x81\x5B");
  // Room for 2 bytes and the zero: "a" fits, カ would be split, so it stops.
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(copyShiftJis(text, out, 3), 1u);
  EXPECT_STREQ(out, "a");
  EXPECT_EQ(out[2], 'X');  // nothing written past the stop
  EXPECT_EQ(copyShiftJis(text, out, 4), 3u);
  EXPECT_STREQ(out, "a\x83\x4A");
  EXPECT_EQ(copyShiftJis(text, out, 5), 4u);  // the half-width one fits on its own
  EXPECT_EQ(copyShiftJis(text, out, 6), 4u);  // ー would be split
  EXPECT_EQ(copyShiftJis(text, out, 1), 0u);
  EXPECT_EQ(out[0], '\0');
  out[0] = 'X';
  EXPECT_EQ(copyShiftJis(text, out, 0), 0u);
  EXPECT_EQ(out[0], 'X');  // no room, not even for the zero
}

TEST(Text, BrokenShiftJisNeverReadsPastItsEnd) {
  // A lead byte with no trail byte at the very end.
  const std::string cut("\x83\x4A\x83", 3);
  const std::wstring wide = shiftJisToWide(cut);
  ASSERT_FALSE(wide.empty());
  EXPECT_EQ(wide[0], L'カ');
  EXPECT_LE(wide.size(), 2u);
}

}  // namespace
}  // namespace zrb::win
