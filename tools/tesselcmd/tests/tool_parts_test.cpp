// The tool's own small parts: the sums, the findings read from the card
// utility's texts, and the lines naming a result.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "checksum.h"
#include "result_codes.h"
#include "result_lines.h"
#include "texts.h"
#include "tool_ports.h"
#include "utf8_prefix.h"

namespace tesselcmd {
namespace {

TEST(Checksums, TheCommonCrc32AndTheByteSumAcrossPieces) {
  const std::string check = "123456789";
  RangeChecksum whole;
  whole.add({reinterpret_cast<const uint8_t*>(check.data()), check.size()});
  EXPECT_EQ(whole.crc32(), 0xCBF43926u);  // the catalogued check value of this CRC
  EXPECT_EQ(whole.sum16(), 0x01DDu);
  RangeChecksum pieces;
  pieces.add({reinterpret_cast<const uint8_t*>(check.data()), 4});
  pieces.add({reinterpret_cast<const uint8_t*>(check.data()) + 4, 5});
  EXPECT_EQ(pieces.crc32(), whole.crc32());
  // The sum wraps at 16 bits.
  std::vector<uint8_t> ff(0x200, 0xFF);
  RangeChecksum wraps;
  wraps.add(ff);
  EXPECT_EQ(wraps.sum16(), static_cast<uint16_t>(0x200 * 0xFF));
  EXPECT_EQ(RangeChecksum().crc32(), 0u);
}

// The findings are read from the very texts the loops format, so a change of
// the card utility's texts shows here.
TEST(CollectingMessages, ReadsTheComparesQuestionsAndTheEraseChecksFinding) {
  CollectingMessages messages;
  char line[96];
  std::snprintf(line, sizeof line, std::string(tessel::text(tessel::sid::kFileDifference)).c_str(), 0x12345u,
                0xABu, 0x0Cu);
  const std::string question = std::string(tessel::text(tessel::sid::kDifferenceFound)) + "\r" + line + "\r" +
                               std::string(tessel::text(tessel::sid::kContinueQuestion));
  EXPECT_TRUE(messages.askYesNo(question));
  ASSERT_EQ(messages.differences().size(), 1u);
  EXPECT_EQ(messages.differences()[0].address, 0x12345u);
  EXPECT_EQ(messages.differences()[0].card, 0xAB);
  EXPECT_EQ(messages.differences()[0].file, 0x0C);
  // It goes on until enough are collected, then declines.
  for (size_t i = 1; i < CollectingMessages::kReportedDifferences - 1; ++i)
    EXPECT_TRUE(messages.askYesNo(question));
  EXPECT_FALSE(messages.askYesNo(question));
  // A question it does not know is declined.
  CollectingMessages other;
  EXPECT_FALSE(other.askYesNo("上書きしますか？"));
  EXPECT_TRUE(other.differences().empty());

  std::snprintf(line, sizeof line, std::string(tessel::text(tessel::sid::kEraseNg)).c_str(), 0x1FFFEu);
  messages.showOk(tessel::text(tessel::sid::kNoDifference));
  messages.showOk(line);
  EXPECT_EQ(messages.notBlankAt(), 0x1FFFEu);
  EXPECT_EQ(messages.otherTexts().size(), 1u);
}

TEST(ResultLines, NameTheResultInEnglishBesideTheCardUtilitysText) {
  EXPECT_EQ(cardResultLine(26), "the card is write protected (result 26 CS_WRITE_PROTECTED: " +
                                    std::string(tessel::resultText(26)) + ")");
  EXPECT_EQ(resultName(tessel::R_CARD_REMOVED), "R_CARD_REMOVED");
  EXPECT_EQ(resultName(99), "result 99");
  EXPECT_EQ(fileErrorEnglish(8), "checksum error");
  EXPECT_EQ(fileErrorEnglish(40), "unknown error");
  EXPECT_EQ(fileErrorEnglish(-1), "unknown error");
}

TEST(ConsoleProgress, DrawsPercentAndSpeedOnlyWhenShown) {
  std::ostringstream shown, hidden;
  for (auto* stream : {&shown, &hidden}) {
    ConsoleProgress progress(*stream, stream == &shown);
    progress.expect("read", 0x30000, 0x10000);
    progress.start(3, "");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(progress.step());
    progress.close();
  }
  EXPECT_TRUE(hidden.str().empty());
  EXPECT_NE(shown.str().find("read 100%"), std::string::npos) << shown.str();
  EXPECT_EQ(shown.str().back(), '\n');
}

// A console write that ended inside a character would show it as two wrong ones.
TEST(Utf8Prefix, HoldsBackOnlyAnUnfinishedLastCharacter) {
  const std::string katakana = "\xEF\xBE\x83";  // half-width TE, three bytes
  const std::string four = "\xF0\x9F\x98\x80";
  EXPECT_EQ(completeUtf8Prefix(""), 0u);
  EXPECT_EQ(completeUtf8Prefix("ab\n"), 3u);
  EXPECT_EQ(completeUtf8Prefix("a" + katakana), 4u);
  EXPECT_EQ(completeUtf8Prefix("a" + katakana.substr(0, 1)), 1u);
  EXPECT_EQ(completeUtf8Prefix("a" + katakana.substr(0, 2)), 1u);
  EXPECT_EQ(completeUtf8Prefix("a" + four.substr(0, 3)), 1u);
  EXPECT_EQ(completeUtf8Prefix("a" + four), 5u);
  EXPECT_EQ(completeUtf8Prefix("\xC3\xA9"), 2u);
  // Bytes that belong to no sequence are not held back for ever.
  EXPECT_EQ(completeUtf8Prefix("a\x80\x80\x80"), 4u);
  EXPECT_EQ(completeUtf8Prefix("\xFF"), 1u);
}

}  // namespace
}  // namespace tesselcmd
