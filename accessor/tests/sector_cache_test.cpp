// ATA regions through the sector cache: what reaches the card when, and that
// no write is lost to a failure.
#include <gtest/gtest.h>

#include <vector>

#include "accessor_fixture.h"

namespace accessor::test {
namespace {

class AtaTest : public AccessorTest {
 protected:
  void SetUp() override {
    describe({{KIND_FUNCTION_SPECIFIC, 0, 64 * 512, 0}});
    for (size_t i = 0; i < reader.sectors.size(); ++i) reader.sectors[i] = static_cast<uint8_t>(i / 512 + i);
    ASSERT_EQ(select(0), CS_OK);
    reader.log.clear();
  }
  uint8_t cardByte(uint32_t address) const { return reader.sectors[address]; }
  uint8_t original(uint32_t address) const { return static_cast<uint8_t>(address / 512 + address); }
};

TEST_F(AtaTest, OddByteReadFillsTheCacheAndWritesStayThereUntilFlush) {
  uint8_t byte = 0;
  ASSERT_EQ(call(FN_READ, 0, 0x201, 1, &byte), CS_OK);
  EXPECT_EQ(byte, original(0x201));
  ASSERT_EQ(reader.log.size(), 1u);
  EXPECT_EQ(reader.log[0].op, "ReadSectors");
  EXPECT_EQ(reader.log[0].address, 1u);
  EXPECT_EQ(reader.log[0].count, 1u);

  uint8_t value = 0x5A;
  ASSERT_EQ(call(FN_WRITE, 0, 0x202, 1, &value), CS_OK);
  EXPECT_EQ(reader.log.size(), 1u);  // only the cache changed
  EXPECT_EQ(cardByte(0x202), original(0x202));
  ASSERT_EQ(call(FN_READ, 0, 0x202, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x5A);

  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  EXPECT_EQ(reader.calls("WriteSectors"), 1u);
  EXPECT_EQ(cardByte(0x202), 0x5A);
  ASSERT_EQ(call(FN_FLUSH), CS_OK);  // nothing held any more
  EXPECT_EQ(reader.calls("WriteSectors"), 1u);
}

TEST_F(AtaTest, MovingToAnotherSectorWritesOnlyADirtySectorBack) {
  uint8_t byte = 0x77;
  ASSERT_EQ(call(FN_READ, 0, 0x10, 1, &byte), CS_OK);
  ASSERT_EQ(call(FN_READ, 0, 0x410, 1, &byte), CS_OK);  // clean: no write-back
  EXPECT_EQ(reader.calls("WriteSectors"), 0u);
  byte = 0x77;
  ASSERT_EQ(call(FN_WRITE, 0, 0x411, 1, &byte), CS_OK);
  ASSERT_EQ(call(FN_READ, 0, 0x10, 1, &byte), CS_OK);
  EXPECT_EQ(reader.calls("WriteSectors"), 1u);
  EXPECT_EQ(cardByte(0x411), 0x77);
}

TEST_F(AtaTest, SpanningTransfersMixCacheAndWholeSectors) {
  // 1000 bytes from offset 0x100: the rest of sector 0 through the cache,
  // one whole sector directly, the tail through the cache.
  std::vector<uint8_t> data(1000);
  ASSERT_EQ(call(FN_READ, 0, 0x100, 1000, data.data()), CS_OK);
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(data[i], original(0x100 + i)) << i;
  ASSERT_EQ(reader.log.size(), 3u);
  EXPECT_EQ(reader.log[1].address, 1u);
  EXPECT_EQ(reader.log[1].count, 1u);
  EXPECT_EQ(reader.log[2].address, 2u);

  for (auto& b : data) b = 0xC3;
  reader.log.clear();
  ASSERT_EQ(call(FN_WRITE, 0, 0x100, 1000, data.data()), CS_OK);
  EXPECT_EQ(cardByte(0x1FF), 0xC3);                         // written back on the way to sector 1
  EXPECT_EQ(cardByte(0x100 + 999), original(0x100 + 999));  // the tail waits in the cache
  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(cardByte(0x100 + i), 0xC3) << i;
  EXPECT_EQ(cardByte(0xFF), original(0xFF));
  EXPECT_EQ(cardByte(0x100 + 1000), original(0x100 + 1000));
}

TEST_F(AtaTest, WholeSectorsFromABoundaryBypassTheCache) {
  std::vector<uint8_t> data(4 * 512);
  ASSERT_EQ(call(FN_READ, 0, 0x400, 4 * 512, data.data()), CS_OK);
  ASSERT_EQ(reader.log.size(), 1u);
  EXPECT_EQ(reader.log[0].address, 2u);
  EXPECT_EQ(reader.log[0].count, 4u);
  EXPECT_EQ(data[0x200], original(0x600));
}

TEST_F(AtaTest, EraseFillsWholeSectorsIn32KSteps) {
  describe({{KIND_FUNCTION_SPECIFIC, 0, 256 * 512, 0}});
  reader.sectors.assign(256 * 512, 0);
  ASSERT_EQ(select(0), CS_OK);
  reader.log.clear();
  ASSERT_EQ(call(FN_ERASE, 0, 0, 130 * 512), CS_OK);
  std::vector<uint32_t> counts;
  for (const auto& c : reader.log) counts.push_back(c.count);
  EXPECT_EQ(counts, (std::vector<uint32_t>{64, 64, 2}));
  EXPECT_EQ(reader.sectors[130 * 512 - 1], 0xFF);
  EXPECT_EQ(reader.sectors[130 * 512], 0x00);

  // A partial erase goes through the cache like a write.
  ASSERT_EQ(call(FN_ERASE, 0, 130 * 512 + 3, 2), CS_OK);
  EXPECT_EQ(reader.sectors[130 * 512 + 3], 0x00);
  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  EXPECT_EQ(reader.sectors[130 * 512 + 3], 0xFF);
  EXPECT_EQ(reader.sectors[130 * 512 + 5], 0x00);
}

TEST_F(AtaTest, FailedWriteBackKeepsTheSectorForAnotherTry) {
  uint8_t byte = 0x99;
  ASSERT_EQ(call(FN_WRITE, 0, 0x5, 1, &byte), CS_OK);
  reader.failures = {{"WriteSectors", 4}};
  EXPECT_EQ(call(FN_READ, 0, 0x605, 1, &byte), CS_WRITE_ERROR);
  EXPECT_EQ(call(FN_FLUSH), CS_WRITE_ERROR);
  reader.failures.clear();
  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  EXPECT_EQ(cardByte(0x5), 0x99);
}

TEST_F(AtaTest, ReadAndWriteFailuresAreReported) {
  uint8_t buffer[512] = {};
  reader.failures = {{"ReadSectors", 2}};
  EXPECT_EQ(call(FN_READ, 0, 1, 1, buffer), CS_READ_ERROR);
  EXPECT_EQ(call(FN_READ, 0, 0, 512, buffer), CS_READ_ERROR);
  EXPECT_EQ(call(FN_WRITE, 0, 1, 1, buffer), CS_READ_ERROR);  // the sector must be read to change one byte
  reader.failures = {{"WriteSectors", 4}};
  EXPECT_EQ(call(FN_WRITE, 0, 0, 512, buffer), CS_WRITE_ERROR);
  EXPECT_EQ(call(FN_ERASE, 0, 0, 512), CS_WRITE_ERROR);
}

TEST_F(AtaTest, InsertedCardDropsTheCachedSector) {
  uint8_t byte = 0x66;
  ASSERT_EQ(pollStatus(), CS_OK);
  ASSERT_EQ(call(FN_WRITE, 0, 0x7, 1, &byte), CS_OK);
  reader.status = 0;
  ASSERT_EQ(pollStatus(), CS_OK);
  reader.status = 0x30B;
  ASSERT_EQ(pollStatus(), CS_OK);
  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  EXPECT_EQ(reader.calls("WriteSectors"), 0u);  // the old card's data goes nowhere
  EXPECT_EQ(cardByte(0x7), original(0x7));
}

TEST_F(AtaTest, FlushLeavesTheCacheAloneWhenAnotherKindIsSelected) {
  uint8_t byte = 0x12;
  ASSERT_EQ(call(FN_WRITE, 0, 0x9, 1, &byte), CS_OK);
  describe({{KIND_SRAM, 0, 0x1000, 0}});
  ASSERT_EQ(select(0), CS_OK);
  ASSERT_EQ(call(FN_FLUSH), CS_OK);
  EXPECT_EQ(reader.calls("WriteSectors"), 0u);
  describe({{KIND_FUNCTION_SPECIFIC, 0, 64 * 512, 0}});
  ASSERT_EQ(select(0), CS_OK);
  ASSERT_EQ(call(FN_FLUSH), CS_OK);  // the sector was kept
  EXPECT_EQ(cardByte(0x9), 0x12);
}

}  // namespace
}  // namespace accessor::test
