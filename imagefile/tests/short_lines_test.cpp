// Short and empty record lines in every text format. The readers convert each
// line in place in one buffer, so what a short line leaves unread still holds
// the previous line's bytes: the end of the line must end the record all the
// same, with a bad-character error where a digit was needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

using hexo::test::Cell;

namespace {

struct TextFormat {
  int32_t type;
  const char* name;
  // A record whose bytes, once converted, look like digits and a plausible
  // record to anything that reads on past a short line's end.
  const char* digitLikeRecord;
  std::vector<Cell> digitLikeCells;
  std::vector<const char*> shortLines;
  const char* endRecord;
};

const std::vector<Cell> kDigitCells = {{0x3030, 0x30}, {0x3031, 0x31}, {0x3032, 0x46}, {0x3033, 0x46}};

const TextFormat kFormats[] = {
    {hexo::TYPE_INTEL_HEX,
     "HEX",
     ":0430300030314646AF\n",
     kDigitCells,
     {":", ":0", ":01", ":0100", ":010000"},
     ":00000001FF\n"},
    {hexo::TYPE_S19,
     "S19",
     "S107303030314646AB\n",
     kDigitCells,
     {"S", "S1", "S10", "S104", "S10400"},
     "S9030000FC\n"},
    {hexo::TYPE_S28,
     "S28",
     "S20800303030314646AA\n",
     kDigitCells,
     {"S", "S2", "S20", "S205", "S2050000"},
     "S804000000FB\n"},
    {hexo::TYPE_S37,
     "S37",
     "S3090000303030314646A9\n",
     kDigitCells,
     {"S", "S3", "S30", "S306", "S3060000"},
     "S70500000000FA\n"},
};

class ShortRecordLines : public ::testing::TestWithParam<TextFormat> {
 protected:
  hexo::test::ReadResult read(const std::string& text) {
    return hexo::test::readText(dir.path(), text, GetParam().type);
  }
  zrb::test::ScratchDir dir;
};

TEST_P(ShortRecordLines, TheDigitLikeRecordReadsAsItself) {
  const TextFormat& format = GetParam();
  const auto result = read(std::string(format.digitLikeRecord) + format.endRecord);
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.cells, format.digitLikeCells);
}

TEST_P(ShortRecordLines, EndOfTheLineWhereADigitIsNeededIsABadCharacter) {
  const TextFormat& format = GetParam();
  for (const char* line : format.shortLines) {
    SCOPED_TRACE(line);
    // At the start of the file, and behind a record that filled the buffer
    // with bytes a reader running past the line end would take for digits.
    EXPECT_EQ(read(std::string(line) + "\n" + format.endRecord).error, hexo::ERR_BAD_CHARACTER);
    const auto behind = read(std::string(format.digitLikeRecord) + line + "\n" + format.endRecord);
    EXPECT_EQ(behind.error, hexo::ERR_BAD_CHARACTER);
    EXPECT_EQ(behind.cells, format.digitLikeCells);  // nothing delivered from the short line
    // A carriage return is no character of the line either.
    EXPECT_EQ(read(std::string(format.digitLikeRecord) + line + "\r\n" + format.endRecord).error,
              hexo::ERR_BAD_CHARACTER);
  }
}

TEST_P(ShortRecordLines, EmptyLinesAreNoRecords) {
  const TextFormat& format = GetParam();
  const auto result =
      read(std::string("\n\r\n") + format.digitLikeRecord + "\n   \n\r\n" + format.endRecord + "\n");
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.eof, -1);
  EXPECT_EQ(result.cells, format.digitLikeCells);
}

INSTANTIATE_TEST_SUITE_P(EveryTextFormat, ShortRecordLines, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
