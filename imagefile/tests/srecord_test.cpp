// S-record reading and writing through the calling interface.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

using hexo::test::Cell;
using hexo::test::readImage;
using hexo::test::readLines;
using hexo::test::writeImage;

namespace {

// The image laid out by printf with the S3 record text the format is defined
// by: records end at every gap and every multiple of 16.
std::string printfS37(const std::vector<Cell>& cells) {
  std::string text;
  char buffer[24];
  for (size_t i = 0; i < cells.size();) {
    size_t end = i + 1;
    while (end < cells.size() && end - i < 16 && cells[end].address == cells[end - 1].address + 1 &&
           cells[end].address % 16 != 0)
      ++end;
    const unsigned long address = cells[i].address;
    const unsigned count = static_cast<unsigned>(end - i) + 5;
    std::snprintf(buffer, sizeof buffer, "S3%02X%08lX", count, address);
    text += buffer;
    unsigned sum =
        count + (address >> 24) + (address >> 16 & 0xFF) + (address >> 8 & 0xFF) + (address & 0xFF);
    for (size_t j = i; j < end; ++j) {
      std::snprintf(buffer, sizeof buffer, "%02X", cells[j].byte);
      text += buffer;
      sum += cells[j].byte;
    }
    std::snprintf(buffer, sizeof buffer, "%02X\n", ~sum & 0xFF);
    text += buffer;
    i = end;
  }
  return text + "S70500000000FA\n";
}

class Srecord : public ::testing::Test {
 protected:
  zrb::test::ScratchDir dir;

  std::string write(int32_t type, const std::vector<Cell>& cells, int32_t expectedClose = 0) {
    const auto file = dir / "image.srec";
    EXPECT_EQ(writeImage(file, type, cells), expectedClose);
    return readLines(file);
  }
  hexo::test::ReadResult read(const std::string& text, int32_t type = hexo::TYPE_S19) {
    return hexo::test::readText(dir.path(), text, type);
  }
};

// ---- Writing ------------------------------------------------------------------

TEST_F(Srecord, EachTypeWritesItsDataRecordAndTerminator) {
  EXPECT_EQ(write(hexo::TYPE_S19, {{0x10, 0x55}, {0x20, 0x66}}), "S10400105596\nS10400206675\nS9030000FC\n");
  EXPECT_EQ(write(hexo::TYPE_S28, {{0x10000, 0x77}}), "S2050100007782\nS804000000FB\n");
  EXPECT_EQ(write(hexo::TYPE_S37, {{0xFFFFFFFF, 0xAA}}), "S306FFFFFFFFAA53\nS70500000000FA\n");
}

TEST_F(Srecord, OutputMatchesThePrintfRecordTextsOnARandomImage) {
  const auto cells = hexo::test::randomImage(11, 0x7FFFFF00, 300, 40, 40);
  EXPECT_EQ(write(hexo::TYPE_S37, cells), printfS37(cells));
}

TEST_F(Srecord, AddressAboveTheTypesRangeFailsWithOverflow) {
  const auto file = dir / "image.s19";
  int32_t putError = 0;
  EXPECT_EQ(writeImage(file, hexo::TYPE_S19, {{0xFFFF, 1}, {0x10000, 2}}, &putError), -1);
  EXPECT_EQ(putError, hexo::ERR_ADDRESS_OVERFLOW);
  // Once failed, the writer writes nothing more: not the pending record, not the terminator.
  EXPECT_EQ(readLines(file), "");
  putError = 0;
  EXPECT_EQ(writeImage(file, hexo::TYPE_S28, {{0xFFFFFF, 1}, {0x1000000, 2}}, &putError), -1);
  EXPECT_EQ(putError, hexo::ERR_ADDRESS_OVERFLOW);
}

TEST_F(Srecord, RandomImagesOfEveryTypeReadBackUnchanged) {
  const struct {
    int32_t type;
    uint32_t start;
  } cases[] = {{hexo::TYPE_S19, 0x10},
               {hexo::TYPE_S28, 0xFFF0},
               {hexo::TYPE_S37, 0xFFFF00},
               {hexo::TYPE_S37, 0xFFFF0000}};
  for (const auto& c : cases) {
    auto cells = hexo::test::randomImage(c.start, c.start, 150, 40, 40);
    ASSERT_GT(cells.back().address, c.start);
    write(c.type, cells);
    const auto back = readImage(dir / "image.srec", c.type);
    EXPECT_EQ(back.error, 0);
    EXPECT_EQ(back.cells, cells) << c.type;
  }
}

// ---- Reading ------------------------------------------------------------------

TEST_F(Srecord, EveryDataRecordKindIsReadWhateverTheOpenedType) {
  const auto result =
      read("S00600004844521B\nS10400105596\nS205012345AAE7\nS30600ABCDEF553D\nS5030003F9\nS9030000FC\n",
           hexo::TYPE_S19);
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0x10, 0x55}, {0x12345, 0xAA}, {0xABCDEF, 0x55}}));
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.eof, -1);
}

TEST_F(Srecord, EveryTerminatorEndsReading) {
  for (const char* end : {"S9030000FC\n", "S804000000FB\n", "S70500000000FA\n"}) {
    const auto result = read(std::string("S10400105596\n") + end + "S10400206675\n");
    EXPECT_EQ(result.cells.size(), 1u) << end;
    EXPECT_EQ(result.error, 0) << end;
  }
}

TEST_F(Srecord, RecordTooShortForItsAddressDeliversNothing) {
  const auto result = read("S1030010EC\nS10400105596\nS9030000FC\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0x10, 0x55}}));
  EXPECT_EQ(result.error, 0);
}

TEST_F(Srecord, BadInputGivesItsErrorCode) {
  const struct {
    const char* text;
    int32_t error;
  } cases[] = {
      {"S10400105597\nS9030000FC\n", hexo::ERR_CHECKSUM},  // checksum must make the sum 0xFF
      {"S4030000FC\n", hexo::ERR_BAD_RECORD_TYPE},
      {"SX030000FC\n", hexo::ERR_BAD_RECORD_TYPE},
      {"S104001055\n", hexo::ERR_BAD_CHARACTER},  // line ends inside the record
      {"S1040010556a\n", hexo::ERR_BAD_CHARACTER},
      {"s10400105596\ns9030000FC\n", hexo::ERR_UNEXPECTED_EOF},  // a lower-case "s" starts nothing
      {"S10400105596\nS9030000FC", hexo::ERR_UNEXPECTED_EOF},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.text).error, c.error) << c.text;
}

}  // namespace
