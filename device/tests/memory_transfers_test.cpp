// Transfer rules over the recording transport: which commands a transfer
// becomes, and what the caller gets back.
#include <gtest/gtest.h>

#include "device_result.h"
#include "memory_transfers.h"
#include "recording_link.h"

namespace zrb2x::test {
namespace {

struct Piece {
  uint8_t opcode;
  uint32_t address, count;
  bool operator==(const Piece&) const = default;
};

std::vector<Piece> pieces(const RecordingLink& link) {
  std::vector<Piece> result;
  for (const auto& call : link.calls)
    result.push_back({call.cdb[0], getBig32(call.cdb.data() + 2), call.count});
  return result;
}

std::vector<uint8_t> numbered(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + 1);
  return v;
}

class TransferTest : public ::testing::Test {
 protected:
  void SetUp() override { link.backWithMemory(memory); }
  std::vector<uint8_t> memory = numbered(0x40000);
  RecordingLink link;
};

TEST_F(TransferTest, CommonReadKeepsWordAlignment) {
  uint8_t out[3];
  ASSERT_EQ(readCommonMemory(link, 1, 3, out), 0u);
  EXPECT_EQ(pieces(link), (std::vector<Piece>{{0x20, 0, 2}, {0x20, 2, 2}}));
  EXPECT_EQ(std::vector<uint8_t>(out, out + 3), std::vector<uint8_t>(memory.begin() + 1, memory.begin() + 4));
}

TEST_F(TransferTest, LargeCommonReadsGoInWholeWordPiecesOf64KiB) {
  std::vector<uint8_t> out(0x20003);
  ASSERT_EQ(readCommonMemory(link, 0x11, static_cast<uint32_t>(out.size()), out.data()), 0u);
  EXPECT_EQ(pieces(link),
            (std::vector<Piece>{
                {0x20, 0x10, 2}, {0x20, 0x12, 0x10000}, {0x20, 0x10012, 0x10000}, {0x20, 0x20012, 2}}));
  EXPECT_EQ(out, std::vector<uint8_t>(memory.begin() + 0x11, memory.begin() + 0x11 + 0x20003));
}

TEST_F(TransferTest, CommonWriteReadsBackTheNeighboursOfOddEdges) {
  const auto before = memory;
  const uint8_t data[4] = {0xA1, 0xA2, 0xA3, 0xA4};
  ASSERT_EQ(writeCommonMemory(link, 5, 4, data), 0u);
  EXPECT_EQ(pieces(link),
            (std::vector<Piece>{{0x20, 4, 2}, {0x22, 4, 2}, {0x22, 6, 2}, {0x20, 8, 2}, {0x22, 8, 2}}));
  EXPECT_EQ(memory[4], before[4]);
  EXPECT_EQ(memory[5], 0xA1);
  EXPECT_EQ(memory[8], 0xA4);
  EXPECT_EQ(memory[9], before[9]);
}

TEST_F(TransferTest, AFailedPieceStopsTheTransferAndPiecesBeforeStayWritten) {
  link.answer = [&, inner = link.answer](const RecordedCall& call, uint8_t* data) {
    if (getBig32(call.cdb.data() + 2) == 0x10000) return 0x0C000003u;
    return inner(call, data);
  };
  std::vector<uint8_t> data(0x20000, 0x55);
  EXPECT_EQ(writeCommonMemory(link, 0, 0x20000, data.data()), 0x0C000003u);
  EXPECT_EQ(link.calls.size(), 2u);
  EXPECT_EQ(memory[0xFFFF], 0x55);
}

TEST_F(TransferTest, AttributeReadGivesFFForOddAddresses) {
  uint8_t out[4];
  ASSERT_EQ(readAttributeMemory(link, 0, 4, out), 0u);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), bytes({memory[0], 0xFF, memory[2], 0xFF}));

  link.calls.clear();
  uint8_t odd[4];
  ASSERT_EQ(readAttributeMemory(link, 3, 4, odd), 0u);  // odd start costs no command
  EXPECT_EQ(pieces(link), (std::vector<Piece>{{0x24, 4, 2}, {0x24, 6, 2}}));
  EXPECT_EQ(std::vector<uint8_t>(odd, odd + 4), bytes({0xFF, memory[4], 0xFF, memory[6]}));
}

TEST_F(TransferTest, AttributeWriteSkipsAnOddStartAndPadsALastByte) {
  const uint8_t data[4] = {0xB1, 0xB2, 0xB3, 0xB4};
  ASSERT_EQ(writeAttributeMemory(link, 1, 4, data), 0u);
  ASSERT_EQ(link.calls.size(), 2u);
  EXPECT_EQ(pieces(link), (std::vector<Piece>{{0x26, 2, 2}, {0x26, 4, 2}}));
  EXPECT_EQ(link.calls[0].sent, bytes({0xB2, 0xB3}));
  EXPECT_EQ(link.calls[1].sent, bytes({0xB4, 0xFF}));
}

TEST_F(TransferTest, SectorsGoIn128SectorPieces) {
  link.answer = [](const RecordedCall&, uint8_t*) { return 0u; };
  std::vector<uint8_t> data(300 * 512);
  ASSERT_EQ(readSectorRange(link, 10, 300, data.data(), 512), 0u);
  ASSERT_EQ(link.calls.size(), 3u);
  EXPECT_EQ(getBig32(link.calls[1].cdb.data() + 2), 138u);
  EXPECT_EQ(getBig16(link.calls[2].cdb.data() + 7), 44u);
  EXPECT_EQ(link.calls[2].count, 44u * 512);
  link.calls.clear();
  ASSERT_EQ(writeSectorRange(link, 0, 129, data.data(), 512), 0u);
  EXPECT_EQ(link.calls.size(), 2u);
}

TEST_F(TransferTest, SectorSizesOtherThan512AreRefusedBeforeTheyOverrunTheBuffer) {
  std::vector<uint8_t> data(256);
  EXPECT_EQ(readSectorRange(link, 0, 1, data.data(), 256), result::kInvalidField);
  EXPECT_EQ(writeSectorRange(link, 0, 1, data.data(), 1024), result::kInvalidField);
  EXPECT_TRUE(link.calls.empty());
}

}  // namespace
}  // namespace zrb2x::test
