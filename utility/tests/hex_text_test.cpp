// The clipboard's rules: which text a paste takes, which bytes a selection
// copies, where a paste takes its bytes from, and how much of it lands.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "card_service.h"
#include "hex_text.h"
#include "page_text.h"
#include "result_codes.h"

namespace tessel {
namespace {

std::vector<uint8_t> parsed(std::string_view text, HexTextStatus expected = HexTextStatus::Bytes) {
  std::array<uint8_t, kPasteCapacity> buffer;
  buffer.fill(0xEE);
  const HexTextResult result = parseHexText(text, buffer);
  EXPECT_EQ(result.status, expected) << text;
  if (result.status != HexTextStatus::Bytes) {
    EXPECT_EQ(result.count, 0u);
    // A refused text leaves the buffer as it was: nothing half parsed is written.
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; })) << text;
  }
  return {buffer.begin(), buffer.begin() + result.count};
}

std::string hexBytes(unsigned count) {
  std::string text;
  for (unsigned i = 0; i < count; ++i) text += (i ? " " : "") + std::string("5A");
  return text;
}

TEST(ParseHexText, TakesTwoDigitBytesOfEitherCaseBetweenWhiteSpace) {
  EXPECT_EQ(parsed("41 42 43"), (std::vector<uint8_t>{0x41, 0x42, 0x43}));
  EXPECT_EQ(parsed("ab cd"), (std::vector<uint8_t>{0xAB, 0xCD}));
  EXPECT_EQ(parsed("  0f\tF0\r\n00 Ff \r\n"), (std::vector<uint8_t>{0x0F, 0xF0, 0x00, 0xFF}));
  EXPECT_EQ(parsed("7E"), (std::vector<uint8_t>{0x7E}));
  EXPECT_EQ(parsed(hexBytes(256)), std::vector<uint8_t>(256, 0x5A));
}

TEST(ParseHexText, RefusesEverythingElseAsAWhole) {
  for (std::string_view text :
       {"0x1234", "4142", "41 4", "4 41", "41 42x", "41,42", "GG", "41 -2", "+1", "41 \x82\xA0", "41 42 4"})
    parsed(text, HexTextStatus::NotHexBytes);
  parsed(std::string_view("41\0 42", 6), HexTextStatus::NotHexBytes);
}

TEST(ParseHexText, BlankTextIsNothingAndMoreThanAPageIsRefused) {
  parsed("", HexTextStatus::Empty);
  parsed(" \r\n\t", HexTextStatus::Empty);
  parsed(hexBytes(257), HexTextStatus::TooManyBytes);
  EXPECT_FALSE(hexTextMessage(HexTextStatus::NotHexBytes).empty());
  EXPECT_FALSE(hexTextMessage(HexTextStatus::TooManyBytes).empty());
  EXPECT_NE(hexTextMessage(HexTextStatus::NotHexBytes), hexTextMessage(HexTextStatus::TooManyBytes));
  EXPECT_TRUE(hexTextMessage(HexTextStatus::Empty).empty());
  EXPECT_TRUE(hexTextMessage(HexTextStatus::Bytes).empty());
}

// A page whose byte i is i, as the hexadecimal list shows it.
PageText countingPage(unsigned valid = kPageBytes) {
  std::array<uint8_t, kPageBytes> page;
  for (unsigned i = 0; i < kPageBytes; ++i) page[i] = static_cast<uint8_t>(i);
  return pageText(0, page.data(), valid);
}

TEST(DumpSelection, SnapsToEveryByteWithADigitInsideAndPastesBackAsThoseBytes) {
  // "00 01 02 03": from the low digit of 01 to the high digit of 03.
  EXPECT_EQ(dumpSelectionBytes(4, 10, kPageBytes)->first, 1u);
  EXPECT_EQ(dumpSelectionBytes(4, 10, kPageBytes)->count, 3u);
  // Exactly one byte's two digits; the blank after it adds nothing.
  EXPECT_EQ(dumpSelectionBytes(3, 6, kPageBytes)->count, 1u);
  // Only the blank between two bytes, or only a line end: no byte.
  EXPECT_EQ(dumpSelectionBytes(5, 6, kPageBytes), std::nullopt);
  EXPECT_EQ(dumpSelectionBytes(47, 49, kPageBytes), std::nullopt);
  EXPECT_EQ(dumpSelectionBytes(4, 4, kPageBytes), std::nullopt);

  // Across a line end, from half of 0E to half of 12: the text carries the
  // list's line break and parses back to exactly the five bytes.
  const PageText page = countingPage();
  const ByteSpan bytes = *dumpSelectionBytes(43, 49 + 7, kPageBytes);
  EXPECT_EQ(bytes.first, 0x0Eu);
  EXPECT_EQ(bytes.count, 5u);
  const std::string text = dumpSelectionText(page.dump, bytes);
  EXPECT_EQ(text, "0E 0F\r\n10 11 12");
  EXPECT_EQ(parsed(text), (std::vector<uint8_t>{0x0E, 0x0F, 0x10, 0x11, 0x12}));
  EXPECT_EQ(parsed(dumpSelectionText(page.dump, *dumpSelectionBytes(0, 10000, kPageBytes))).size(), 256u);
}

TEST(DumpSelection, StopsAtTheAreasLastByte) {
  const ByteSpan bytes = *dumpSelectionBytes(0, 10000, 20);
  EXPECT_EQ(bytes.count, 20u);
  EXPECT_EQ(parsed(dumpSelectionText(countingPage(20).dump, bytes)).size(), 20u);
  EXPECT_EQ(dumpSelectionBytes(dumpPositionOf(20), 10000, 20), std::nullopt);
}

TEST(CharSelection, TakesTheSelectedBytesAndAtLeastOne) {
  // Three characters from 0x10: line 1, columns 0 to 2 (position 18 + column).
  EXPECT_EQ(charSelectionBytes(18, 21, kPageBytes)->first, 0x10u);
  EXPECT_EQ(charSelectionBytes(18, 21, kPageBytes)->count, 3u);
  // Up to a line end: the line's last byte is in; across it, the next line's bytes follow.
  EXPECT_EQ(charSelectionBytes(14, 16, kPageBytes)->count, 2u);
  EXPECT_EQ(charSelectionBytes(14, 17, kPageBytes)->count, 2u);
  EXPECT_EQ(charSelectionBytes(14, 19, kPageBytes)->count, 3u);
  // Starting on a line end: the selection's first byte is the next line's first.
  EXPECT_EQ(charSelectionBytes(16, 19, kPageBytes)->first, 16u);
  EXPECT_EQ(charSelectionBytes(16, 19, kPageBytes)->count, 1u);
  EXPECT_EQ(charSelectionBytes(16, 18, kPageBytes)->count, 1u);  // the line end alone: one byte
  EXPECT_EQ(charSelectionBytes(0, 10000, kPageBytes)->count, 256u);
  EXPECT_EQ(charSelectionBytes(5, 5, kPageBytes), std::nullopt);
  EXPECT_EQ(charSelectionBytes(0, 40, 20)->count, 20u);
  EXPECT_EQ(charSelectionBytes(40, 60, 20), std::nullopt);
}

TEST(CopyState, PastesTheCopiedBytesOnlyWhileTheClipboardHoldsTheirText) {
  CopyState state;
  EXPECT_EQ(state.pasteSource("41 42"), PasteSource::Nothing);

  const uint8_t bytes[] = {0x41, 0x00, 0x43};
  state.copiedBytes(bytes, "A.C");
  EXPECT_EQ(state.count(), 3u);
  EXPECT_EQ(std::vector<uint8_t>(state.bytes().begin(), state.bytes().end()),
            (std::vector<uint8_t>{0x41, 0x00, 0x43}));
  EXPECT_EQ(state.pasteSource("A.C"), PasteSource::CopyBuffer);
  // Another program copied since: its text is what the user pastes now.
  EXPECT_EQ(state.pasteSource("12 34"), PasteSource::ClipboardText);
  EXPECT_EQ(state.pasteSource(""), PasteSource::ClipboardText);

  state.copiedHexText();
  EXPECT_EQ(state.count(), CopyState::kTextMarker);
  EXPECT_TRUE(state.bytes().empty());
  EXPECT_EQ(state.pasteSource("A.C"), PasteSource::ClipboardText);

  std::vector<uint8_t> page(300, 0x11);
  state.copiedBytes(page, "x");
  EXPECT_EQ(state.count(), kPasteCapacity);
}

TEST(Paste, IsShortenedAtTheAreasEndAndRefusedWhereItCannotWrite) {
  EXPECT_EQ(pasteLength(0x10, 3, 0x1000), 3u);
  EXPECT_EQ(pasteLength(0x1000 - 4, 16, 0x1000), 4u);
  EXPECT_EQ(pasteLength(0x1000 - 1, 16, 0x1000), 1u);
  EXPECT_EQ(pasteLength(0x1000, 16, 0x1000), 0u);
  EXPECT_EQ(pasteLength(0xFFFFFFFF, 16, 0x1000), 0u);

  EXPECT_EQ(pasteRefusal(false, 0), R_SUCCESS);
  EXPECT_EQ(pasteRefusal(false, 1), R_SUCCESS);
  EXPECT_EQ(pasteRefusal(true, 0), cardservice::CS_WRITE_PROTECTED);
  for (uint8_t type : {2, 5, 8, 66, 255}) EXPECT_EQ(pasteRefusal(false, type), R_NOT_PASTEABLE);
}

}  // namespace
}  // namespace tessel
