// The printed listing: the line layout, the last short line of a range, and
// the block loop over a real card that hands the lines to the printer.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "card_window_fixture.h"
#include "print_lines.h"
#include "result_codes.h"

namespace tessel {
namespace {

using namespace cardservice;

std::vector<uint8_t> counting(uint8_t from, size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(from + i);
  return bytes;
}

TEST(PrintLine, ShowsAddressBytesAndCharactersInFixedColumns) {
  EXPECT_EQ(printLine(0x100, counting(0x41, 16)),
            "00000100 | 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP");
  // Control characters, DEL and the upper half print as "."; the blank as itself.
  const std::vector<uint8_t> mixed = {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xA1, 0xFF,
                                      0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37};
  EXPECT_EQ(printLine(0xFEDCBA90, mixed),
            "FEDCBA90 | 00 1F 20 7E 7F 80 A1 FF 30 31 32 33 34 35 36 37 |.. ~....01234567");
}

TEST(PrintLine, AShortLastLineKeepsTheBarInItsColumn) {
  const std::string full = printLine(0, counting(0x41, 16));
  const std::string shortLine = printLine(0x3FFF8, counting(0x61, 3));
  EXPECT_EQ(shortLine, "0003FFF8 | 61 62 63 " + std::string(13 * 3, ' ') + "|abc");
  EXPECT_EQ(shortLine.find('|', 10), full.find('|', 10));
}

TEST(PrintLines, CutsARangeInSixteensAndPrintsTheRestOnALastLine) {
  const std::vector<std::string> lines = printLines(0x1000, counting(0, 0x108));
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[15].substr(0, 8), "000010F0");
  EXPECT_EQ(lines[16], printLine(0x1100, counting(0, 8)));
  EXPECT_TRUE(printLines(0, {}).empty());
}

class PrintRangeTest : public test::CardWindowTest {
 protected:
  void SetUp() override {
    insert(zrb2x::virt::CardTemplate::Sram, withImage(0x40000, imageFile(0x40000, [](uint32_t i) {
                                                        return static_cast<uint8_t>(i * 13 + (i >> 12));
                                                      })));
    bind();
  }
  uint16_t print(uint32_t start, uint32_t length, std::optional<size_t> failAt = std::nullopt) {
    return printRange(access, SlotRequest{0, 0, 0}, start, length, [&](std::string_view line) {
      if (failAt && lines.size() == *failAt) return false;
      lines.emplace_back(line);
      return true;
    });
  }
  std::vector<std::string> lines;
};

TEST_F(PrintRangeTest, PrintsEveryByteOfARangeAcrossBlocks) {
  // 64 KiB and 9 bytes from an odd address: 4096 whole lines, then the last 9 bytes.
  ASSERT_EQ(print(0x10003, 0x10009), R_SUCCESS);
  ASSERT_EQ(lines.size(), 0x1001u);
  const std::vector<uint8_t> card = image(0, 0x10003, 0x10009);
  EXPECT_EQ(lines.front(), printLine(0x10003, {card.data(), 16}));
  EXPECT_EQ(lines[0xFFF], printLine(0x1FFF3, {card.data() + 0xFFF0, 16}));
  EXPECT_EQ(lines.back(), printLine(0x20003, {card.data() + 0x10000, 9}));
  // Only the blocks of the range are read.
  const auto reads = manager.callsOf(FN_READ);
  ASSERT_GE(reads.size(), 2u);
  EXPECT_EQ(uint32_t{reads[reads.size() - 2].request.offset}, 0x10003u);
  EXPECT_EQ(uint32_t{reads.back().request.offset}, 0x20003u);
  EXPECT_EQ(reads.back().buffer.size(), 9u);
}

TEST_F(PrintRangeTest, AFailedReadOrPrinterEndsTheListing) {
  faults.fault = [](uint32_t code, const SlotRequest& request, void*) -> std::optional<int32_t> {
    if (code == FN_READ && request.offset == 0x10000) return CS_READ_ERROR;
    return std::nullopt;
  };
  EXPECT_EQ(print(0, 0x20000), CS_READ_ERROR);
  EXPECT_EQ(lines.size(), 0x1000u);

  lines.clear();
  faults.fault = nullptr;
  EXPECT_EQ(print(0, 0x20000, 5), R_SILENT);
  EXPECT_EQ(lines.size(), 5u);

  lines.clear();
  EXPECT_EQ(print(0, 0), R_SUCCESS);
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace tessel
