// Read, write and erase by memory space and region kind: addresses, bounds,
// erasing by writing, and how device failures come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "accessor_fixture.h"

namespace accessor::test {
namespace {

class TransferTest : public AccessorTest {
 protected:
  void SetUp() override {
    describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_FLASH, 3, 0x10000, 0xA289}, {KIND_SRAM, 0, 0x50000, 0}},
             {KIND_EEPROM, 0, 0x2000, 0});
    reader.common.assign(0x80000, 0);
  }
};

TEST_F(TransferTest, CommonMemoryIsAddressedFromTheSelectedRegion) {
  ASSERT_EQ(select(1), CS_OK);
  std::vector<uint8_t> data{1, 2, 3, 4};
  ASSERT_EQ(call(FN_WRITE, 0, 0x10, 4, data.data()), CS_OK);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), reader.common.begin() + 0x1010));
  std::vector<uint8_t> back(4);
  ASSERT_EQ(call(FN_READ, 0, 0x10, 4, back.data()), CS_OK);
  EXPECT_EQ(back, data);

  // Attribute memory has no base, whatever region is selected.
  ASSERT_EQ(call(FN_WRITE, 1, 0x10, 4, data.data()), CS_OK);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), reader.attribute.begin() + 0x10));
  EXPECT_EQ(reader.log.back().op, "WriteAttribute");
  ASSERT_EQ(call(FN_READ, 7, 0x10, 4, back.data()), CS_OK);  // any non-zero space is attribute memory
  EXPECT_EQ(reader.log.back().op, "ReadAttribute");
  EXPECT_EQ(back, data);
}

TEST_F(TransferTest, TransfersPastTheRegionEndAreRefusedUntouched) {
  ASSERT_EQ(select(0), CS_OK);
  std::vector<uint8_t> buffer(0x1001, 0xAA);
  const size_t before = reader.log.size();
  EXPECT_EQ(call(FN_READ, 0, 0, 0x1001, buffer.data()), CS_OUT_OF_RANGE);
  EXPECT_EQ(call(FN_WRITE, 0, 0xFFF, 2, buffer.data()), CS_OUT_OF_RANGE);
  EXPECT_EQ(call(FN_ERASE, 0, 0x1000, 1), CS_OUT_OF_RANGE);
  EXPECT_EQ(call(FN_READ, 1, 0x1FFF, 2, buffer.data()), CS_OUT_OF_RANGE);
  // An offset near 4 GB must not wrap around the bounds check.
  EXPECT_EQ(call(FN_WRITE, 0, 0xFFFFFFFF, 2, buffer.data()), CS_OUT_OF_RANGE);
  EXPECT_EQ(call(FN_READ, 0, 0x10, 0xFFFFFFF8, buffer.data()), CS_OUT_OF_RANGE);
  EXPECT_EQ(reader.log.size(), before);
  EXPECT_EQ(call(FN_READ, 0, 0, 0x1000, buffer.data()), CS_OK);  // exactly to the end
  EXPECT_EQ(call(FN_READ, 0, 0, 1, nullptr), CS_BAD_PARAMETER);
  EXPECT_EQ(call(FN_WRITE, 0, 0, 1, nullptr), CS_BAD_PARAMETER);
}

TEST_F(TransferTest, RegionsWithoutKindTakeNoWrites) {
  describe({{KIND_NONE, 0, 0x1000, 0}}, {KIND_NONE, 0, 0x1000, 0});
  ASSERT_EQ(select(0), CS_OK);
  uint8_t byte = 0x12;
  EXPECT_EQ(call(FN_WRITE, 0, 0, 1, &byte), CS_NO_DEVICE);
  EXPECT_EQ(call(FN_ERASE, 0, 0, 1), CS_NO_DEVICE);
  EXPECT_EQ(call(FN_WRITE, 1, 0, 1, &byte), CS_NO_DEVICE);
  EXPECT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OK);
}

TEST_F(TransferTest, ErasingSramWritesFfInPiecesOf32K) {
  ASSERT_EQ(select(2), CS_OK);
  const uint32_t base = 0x11000;
  ASSERT_EQ(call(FN_ERASE, 0, 0, 0x50000), CS_OK);
  EXPECT_EQ(reader.calls("EraseMemory"), 0u);
  std::vector<LoggedCall> writes;
  for (const auto& c : reader.log)
    if (c.op == "WriteCommon") writes.push_back(c);
  ASSERT_EQ(writes.size(), 10u);
  for (size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].address, base + i * 0x8000);
    EXPECT_EQ(writes[i].count, 0x8000u);
  }
  EXPECT_TRUE(std::all_of(reader.common.begin() + base, reader.common.begin() + base + 0x50000,
                          [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(reader.common[base - 1], 0);

  reader.log.clear();
  ASSERT_EQ(call(FN_ERASE, 0, 0x10, 0x8001), CS_OK);  // a short last piece
  ASSERT_EQ(reader.log.size(), 2u);
  EXPECT_EQ(reader.log[1].address, base + 0x10 + 0x8000);
  EXPECT_EQ(reader.log[1].count, 1u);
}

TEST_F(TransferTest, ErasingFlashAsksTheReader) {
  ASSERT_EQ(select(1), CS_OK);
  ASSERT_EQ(call(FN_ERASE, 0, 0x100, 0x200), CS_OK);
  ASSERT_EQ(reader.log.back().op, "EraseMemory");
  EXPECT_EQ(reader.log.back().address, 0x1100u);
  EXPECT_EQ(reader.log.back().count, 0x200u);

  // Attribute memory: EEPROM and SRAM by writing, anything else by the reader.
  ASSERT_EQ(call(FN_ERASE, 1, 0x20, 0x10), CS_OK);
  EXPECT_EQ(reader.log.back().op, "WriteAttribute");
  EXPECT_EQ(reader.attribute[0x2F], 0xFF);
  describe({{KIND_SRAM, 0, 0x1000, 0}}, {KIND_FLASH, 0, 0x2000, 0xA289});
  ASSERT_EQ(select(0), CS_OK);
  ASSERT_EQ(call(FN_ERASE, 1, 0x40, 0x10), CS_OK);
  EXPECT_EQ(reader.log.back().op, "EraseMemory");
  EXPECT_EQ(reader.log.back().address, 0x40u);
}

TEST_F(TransferTest, DeviceFailuresBecomeReadOrWriteErrors) {
  ASSERT_EQ(select(2), CS_OK);
  uint8_t buffer[4] = {};
  for (uint32_t failure : {2u, 6u, 4u, 0x28000006u, 0x08000004u}) {
    reader.failures = {{"ReadCommon", failure},
                       {"WriteCommon", failure},
                       {"ReadAttribute", failure},
                       {"WriteAttribute", failure},
                       {"EraseMemory", failure}};
    EXPECT_EQ(call(FN_READ, 0, 0, 4, buffer), CS_READ_ERROR);
    EXPECT_EQ(call(FN_WRITE, 0, 0, 4, buffer), CS_WRITE_ERROR);
    EXPECT_EQ(call(FN_ERASE, 0, 0, 4), CS_WRITE_ERROR);
    EXPECT_EQ(call(FN_READ, 1, 0, 4, buffer), CS_READ_ERROR);
    EXPECT_EQ(call(FN_WRITE, 1, 0, 4, buffer), CS_WRITE_ERROR);
    EXPECT_EQ(call(FN_ERASE, 1, 0, 4), CS_WRITE_ERROR);
  }
  ASSERT_EQ(select(1), CS_OK);
  EXPECT_EQ(call(FN_ERASE, 0, 0, 4), CS_WRITE_ERROR);  // flash erase by the reader
}

TEST_F(TransferTest, FailedEraseStopsAtTheFailingPiece) {
  ASSERT_EQ(select(2), CS_OK);
  const uint32_t base = 0x11000;
  reader.failures = {{"WriteCommon", 4}};
  reader.succeedFirst = {{"WriteCommon", 1}};
  EXPECT_EQ(call(FN_ERASE, 0, 0, 0x18000), CS_WRITE_ERROR);
  EXPECT_EQ(reader.calls("WriteCommon"), 2u);
  EXPECT_EQ(reader.common[base + 0x7FFF], 0xFF);  // the first piece stays erased
  EXPECT_EQ(reader.common[base + 0x8000], 0x00);
  EXPECT_EQ(reader.common[base + 0x17FFF], 0x00);
}

}  // namespace
}  // namespace accessor::test
