// Intel HEX reading and writing through the calling interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

using hexo::test::Cell;
using hexo::test::readImage;
using hexo::test::readLines;
using hexo::test::readText;
using hexo::test::writeImage;

namespace {

std::vector<Cell> range(uint32_t first, uint32_t last, uint8_t value = 0x11) {
  std::vector<Cell> cells;
  for (uint32_t a = first; a <= last; ++a) cells.push_back({a, static_cast<uint8_t>(value + a)});
  return cells;
}

// The same image laid out by printf with the record texts the format is
// defined by: records end at every gap and every multiple of 16.
std::string printfRendering(const std::vector<Cell>& cells) {
  std::string text;
  char buffer[16];
  for (size_t i = 0; i < cells.size();) {
    size_t end = i + 1;
    while (end < cells.size() && cells[end].address == cells[end - 1].address + 1 &&
           cells[end].address % 16 != 0)
      ++end;
    const uint32_t address = cells[i].address;
    const unsigned count = static_cast<unsigned>(end - i);
    std::snprintf(buffer, sizeof buffer, ":%02X%02X%02X%02X", count, (address >> 8) & 0xFF, address & 0xFF,
                  0);
    text += buffer;
    unsigned sum = count + (address >> 8) + address;
    for (size_t j = i; j < end; ++j) {
      std::snprintf(buffer, sizeof buffer, "%02X", cells[j].byte);
      text += buffer;
      sum += cells[j].byte;
    }
    std::snprintf(buffer, sizeof buffer, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    text += buffer;
    i = end;
  }
  return text + ":00000001FF\n";
}

class IntelHex : public ::testing::Test {
 protected:
  zrb::test::ScratchDir dir;
  std::filesystem::path file = dir / "image.hex";

  std::string write(const std::vector<Cell>& cells) {
    EXPECT_EQ(writeImage(file, hexo::TYPE_INTEL_HEX, cells), 0);
    return readLines(file);
  }
  hexo::test::ReadResult read(const std::string& text) {
    return readText(dir.path(), text, hexo::TYPE_INTEL_HEX);
  }
};

// ---- Writing ------------------------------------------------------------------

TEST_F(IntelHex, RecordsHoldAtMostSixteenBytesAndNeverCrossAMultipleOfSixteen) {
  const std::string text = write(range(0x08, 0x27));
  EXPECT_EQ(text.substr(0, 9), ":08000800");
  EXPECT_EQ(text.substr(text.find('\n') + 1, 9), ":10001000");
  EXPECT_NE(text.find("\n:08002000"), std::string::npos);
  EXPECT_EQ(text, printfRendering(range(0x08, 0x27)));
}

TEST_F(IntelHex, OutputMatchesThePrintfRecordTextsOnARandomImage) {
  const auto cells = hexo::test::randomImage(7, 0x3, 400, 40, 20);
  ASSERT_LT(cells.back().address, 0x10000u);
  EXPECT_EQ(write(cells), printfRendering(cells));
}

TEST_F(IntelHex, SegmentRecordPrecedesTheDataAboveSixtyFourKiB) {
  EXPECT_EQ(write({{0x12345, 0xAA}}), ":020000021000EC\n:01234500AAED\n:00000001FF\n");
  const auto back = readImage(file, -1);
  EXPECT_EQ(back.cells, (std::vector<Cell>{{0x12345, 0xAA}}));
  EXPECT_EQ(back.error, 0);
  EXPECT_EQ(back.eof, -1);
}

TEST_F(IntelHex, CrossingOneMiBClearsTheSegmentBeforeSettingTheLinearBase) {
  EXPECT_EQ(write({{0xFFFFF, 0x01}, {0x100000, 0x02}}),
            ":02000002F0000C\n:01FFFF000100\n:020000020000FC\n:020000040010EA\n:0100000002FD\n:00000001FF\n");
}

// Above 1 MiB only linear records are written, so that readers which keep a
// single base (as most tools do) find the same addresses as readers that add
// the segment and linear bases.
TEST_F(IntelHex, AboveOneMiBOnlyTheLinearBaseIsUsed) {
  EXPECT_EQ(write({{0x112345, 0xAA}}), ":020000040011E9\n:01234500AAED\n:00000001FF\n");
  // Falling back below 1 MiB: the linear base is cleared before the segment is set.
  EXPECT_EQ(write({{0x100000, 0x01}, {0x20000, 0x02}}),
            ":020000040010EA\n:0100000001FE\n:020000040000FA\n:020000022000DC\n:0100000002FD\n:00000001FF\n");
}

TEST_F(IntelHex, RandomImagesAcrossSixtyFourKiBAndOneMiBReadBackUnchanged) {
  for (uint32_t start : {0xFF00u, 0xFFF80u, 0x10FF00u, 0x3FFFF0u}) {
    const auto cells = hexo::test::randomImage(start, start, 300, 64, 300);
    write(cells);
    const auto back = readImage(file, hexo::TYPE_INTEL_HEX);
    EXPECT_EQ(back.error, 0);
    EXPECT_EQ(back.cells, cells) << std::hex << start;
  }
}

TEST_F(IntelHex, WriterLineNumberCountsRecordsIncludingTheEndRecord) {
  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, file.string().c_str(), 'w', hexo::TYPE_INTEL_HEX), 0);
  for (const Cell& cell : range(0x1FFF8, 0x20007)) hexo::putByte(handle, cell.address, cell.byte);
  EXPECT_EQ(hexo::lineNumber(handle), 3);  // 02 record, first data record, 02 record
  EXPECT_EQ(hexo::close(handle), 0);
  const std::string text = readLines(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

// ---- Reading ------------------------------------------------------------------

TEST_F(IntelHex, ReadsSegmentAndLinearBasesAddedUp) {
  const auto result = read(":020000021000EC\n:020000040010EA\n:01234500AAED\n:00000001FF\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0x112345, 0xAA}}));
  EXPECT_EQ(result.error, 0);
}

TEST_F(IntelHex, AddressesCarryAcrossSixtyFourKiBAndOneMiB) {
  // Two bytes at offset 0xFFFF in segment 0xF000: the second lands at 1 MiB.
  const auto result = read(":02000002F0000C\n:02FFFF000102FD\n:00000001FF\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0xFFFFF, 0x01}, {0x100000, 0x02}}));
  const auto linear = read(":020000040001F9\n:02FFFF000102FD\n:00000001FF\n");
  EXPECT_EQ(linear.cells, (std::vector<Cell>{{0x1FFFF, 0x01}, {0x20000, 0x02}}));
}

// A record running across (or ending on) a 64 KiB boundary carries nothing
// into the next record: tools write such a record and then the next linear base.
TEST_F(IntelHex, RecordAcrossSixtyFourKiBCarriesNothingIntoTheNext) {
  const auto result =
      read(":020000040001F9\n:03FFFE00010203FA\n:020000040002F8\n:01000100AA54\n:00000001FF\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0x1FFFE, 1}, {0x1FFFF, 2}, {0x20000, 3}, {0x20001, 0xAA}}));
  const auto ending = read(":020000040001F9\n:02FFFE000102FE\n:020000040002F8\n:01000000AA55\n:00000001FF\n");
  EXPECT_EQ(ending.cells, (std::vector<Cell>{{0x1FFFE, 1}, {0x1FFFF, 2}, {0x20000, 0xAA}}));
}

TEST_F(IntelHex, StartAddressAndEmptyDataRecordsDeliverNothing) {
  const auto result =
      read(":0400000300001234B3\n:00001000F0\n:0400000500001234B1\n:01000000AA55\n:00000001FF\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0, 0xAA}}));
  EXPECT_EQ(result.error, 0);
}

TEST_F(IntelHex, TextBeforeTheColonAndCrLfLineEndsAreIgnored) {
  const auto result = read("comment line\r\nlabel :01000000AA55\r\n\r\n:00000001FF\r\n");
  EXPECT_EQ(result.cells, (std::vector<Cell>{{0, 0xAA}}));
  EXPECT_EQ(result.error, 0);
}

TEST_F(IntelHex, NothingAfterTheEndRecordIsRead) {
  const auto result = read(":00000001FF\n:01000000AA55\ngarbage");
  EXPECT_TRUE(result.cells.empty());
  EXPECT_EQ(result.error, 0);
  EXPECT_EQ(result.eof, -1);
}

TEST_F(IntelHex, BadInputGivesItsErrorCode) {
  struct Case {
    const char* text;
    int32_t error;
    size_t bytesBefore;
  } cases[] = {
      {":01000000AA55\n:00000001FF", hexo::ERR_UNEXPECTED_EOF, 1},   // last line end missing
      {":01000000AA55\n", hexo::ERR_UNEXPECTED_EOF, 1},              // no end record
      {":01000000aa55\n:00000001FF\n", hexo::ERR_BAD_CHARACTER, 0},  // lower-case digits
      {":01000000AA\n", hexo::ERR_BAD_CHARACTER, 0},                 // line ends before the checksum
      {":01000000AA56\n", hexo::ERR_CHECKSUM, 0},
      {":00000006FA\n", hexo::ERR_BAD_RECORD_TYPE, 0},
  };
  for (const Case& c : cases) {
    const auto result = read(c.text);
    EXPECT_EQ(result.error, c.error) << c.text;
    EXPECT_EQ(result.cells.size(), c.bytesBefore) << c.text;
  }
  EXPECT_EQ(read(":01000000AA55\n:00000001FF").eof, -1);
}

TEST_F(IntelHex, RecordLinesUpTo510CharactersAreAccepted) {
  // 249 data bytes: ":" and 508 digits; one extra character behind the
  // checksum makes 510, which still fits, two make 511, which does not.
  std::string record = ":F9000000";
  unsigned sum = 0xF9;
  for (int i = 0; i < 249; ++i) record += "01", sum += 1;
  char checksum[3];
  std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  record += checksum;
  ASSERT_EQ(record.size(), 509u);
  const auto fits = read(record + "X\n:00000001FF\n");
  EXPECT_EQ(fits.error, 0);
  EXPECT_EQ(fits.cells.size(), 249u);
  const auto tooLong = read(record + "XY\n:00000001FF\n");
  EXPECT_EQ(tooLong.error, hexo::ERR_BAD_RECORD_TYPE);
  EXPECT_TRUE(tooLong.cells.empty());
}

TEST_F(IntelHex, LineNumberIsTheLineOfTheRecordBeingDelivered) {
  hexo::test::writeFile(file, "\n:01000000AA55\nnote\n\n:01000100BB43\n:00000001FF\n");
  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, file.string().c_str(), 'r', -1), 0);
  uint32_t address;
  EXPECT_EQ(hexo::getByte(handle, &address), 0xAA);
  EXPECT_EQ(hexo::lineNumber(handle), 2);
  EXPECT_EQ(hexo::getByte(handle, &address), 0xBB);
  EXPECT_EQ(hexo::lineNumber(handle), 5);
  EXPECT_EQ(hexo::getByte(handle, &address), -1);
  EXPECT_EQ(hexo::lineNumber(handle), 6);
  hexo::close(handle);
}

}  // namespace
