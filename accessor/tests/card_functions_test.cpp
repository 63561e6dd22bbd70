// The accessor entry, status byte, region look-up, device types, region
// selection and lock: everything but the transfers.
#include <gtest/gtest.h>

#include <cstring>

#include "accessor_fixture.h"

namespace accessor::test {
namespace {

TEST_F(AccessorTest, EntryAnswersInfoSocketsAndUnknownCodes) {
  CardAccessor three{reader, 3};
  EXPECT_EQ(three.call(FN_INFO, 0, 0, 0, 0, nullptr), 3);
  EXPECT_EQ(three.call(FN_INFO, 99, 0, 0, 0, nullptr), 3);  // no socket needed
  uint8_t byte = 0;
  EXPECT_EQ(three.call(FN_STATUS, 3, 0, 0, 1, &byte), CS_BAD_SOCKET);
  EXPECT_EQ(three.call(FN_READ, 0xFFFFFFFF, 0, 0, 1, &byte), CS_BAD_SOCKET);
  EXPECT_EQ(three.call(FN_STATUS, 2, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(reader.log.back().device, 2u);  // the module-local socket is the device index
  EXPECT_EQ(three.call(FN_RESERVED_8, 0, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(three.call(FN_SOCKET_OPTIONS, 1, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(three.call(12, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);
  EXPECT_EQ(three.call(0x80000000u, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);

  CardAccessor many{reader, 200};  // no machine serves more than 64 reader-writers
  EXPECT_EQ(many.call(FN_INFO, 0, 0, 0, 0, nullptr), 64);
  EXPECT_EQ(many.call(FN_STATUS, 64, 0, 0, 1, &byte), CS_BAD_SOCKET);
}

TEST_F(AccessorTest, StatusByteFromReaderStatusWord) {
  struct Case {
    uint32_t word;
    uint8_t byte;
  } cases[] = {
      {0x30B, 0xC8},                 // card present, batteries good, ready signal
      {0x303, 0x88},                 // no ready signal: 0x40 clear
      {0x307, 0x89},                 // write protected
      {0x302, 0x98},                 // first battery signal low: dead
      {0x301, 0xA8},                 // second battery signal low: warning
      {0x300, 0xB8},                 // both low
      {0x103, 0x08},                 // one card-detect signal is not a card
      {0x203, 0x08}, {0x000, 0x38},  // empty slot
  };
  for (const auto& c : cases) {
    reader.status = c.word;
    uint8_t byte = 0;
    ASSERT_EQ(pollStatus(&byte), CS_OK);
    EXPECT_EQ(byte, c.byte) << std::hex << c.word;
  }
  EXPECT_EQ(pollStatus(nullptr), CS_OK);  // the byte may be left unread
}

TEST_F(AccessorTest, StatusResultsNotReadyAndUnitAttentionStillDescribeTheSlot) {
  reader.status = 0;
  for (uint32_t result : {2u, 6u}) {
    reader.statusResult = result;
    uint8_t byte = 0;
    EXPECT_EQ(pollStatus(&byte), CS_OK);
    EXPECT_EQ(byte, 0x38);
  }
  for (uint32_t result : {4u, 0x28000006u, 0x08000004u, 0x0Bu}) {
    reader.statusResult = result;
    uint8_t byte = 0x55;
    EXPECT_EQ(pollStatus(&byte), CS_DEVICE_FAILURE) << std::hex << result;
    EXPECT_EQ(byte, 0x55);
  }
}

TEST_F(AccessorTest, InsertedCardSelectsRegionZeroAgain) {
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0x2000, 0}});
  ASSERT_EQ(pollStatus(), CS_OK);  // first sight of the card selects region 0
  ASSERT_EQ(select(1), CS_OK);

  reader.common[0x1000] = 0x11;  // region 1, offset 0
  reader.common[0] = 0x22;       // region 0, offset 0
  uint8_t byte = 0;
  ASSERT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x11);

  ASSERT_EQ(pollStatus(), CS_OK);  // still the same card: the selection stays
  ASSERT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x11);

  reader.status = 0;  // pulled
  ASSERT_EQ(pollStatus(), CS_OK);
  reader.status = 0x30B;  // inserted
  ASSERT_EQ(pollStatus(), CS_OK);
  ASSERT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x22);
}

TEST_F(AccessorTest, InsertedCardWithoutUsableRegionLeavesNothingSelected) {
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0x2000, 0}});
  ASSERT_EQ(pollStatus(), CS_OK);
  ASSERT_EQ(select(1), CS_OK);
  reader.status = 0;
  ASSERT_EQ(pollStatus(), CS_OK);
  describe({});  // the new card's table describes nothing
  reader.status = 0x30B;
  ASSERT_EQ(pollStatus(), CS_OK);
  uint8_t byte = 0xAB;
  EXPECT_EQ(call(FN_WRITE, 0, 0, 1, &byte), CS_NO_DEVICE);
  EXPECT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OUT_OF_RANGE);
  EXPECT_EQ(reader.calls("WriteCommon") + reader.calls("ReadCommon"), 0u);
}

TEST_F(AccessorTest, GetDeviceFillsDefaultsForUndescribedRegions) {
  describe({}, {});
  DeviceRecord common = getDevice(0, 0);
  EXPECT_EQ(common.kind, KIND_SRAM);
  EXPECT_EQ(common.size, 0x4000000u);
  EXPECT_EQ(common.eraseUnit, 2u);
  DeviceRecord attribute = getDevice(1, 0);
  EXPECT_EQ(attribute.kind, KIND_EEPROM);
  EXPECT_EQ(attribute.size, 2048u);
  getDevice(1, 2048, CS_BAD_OFFSET);
  getDevice(0, 0x4000000, CS_BAD_OFFSET);

  // Known kinds with size 0 keep their kind and get the default size.
  describe({{KIND_FLASH, 3, 0, 0xA289}}, {KIND_SRAM, 0, 0, 0});
  common = getDevice(0, 0);
  EXPECT_EQ(common.kind, KIND_FLASH);
  EXPECT_EQ(common.size, 0x4000000u);
  EXPECT_EQ(getDevice(1, 0).size, 2048u);

  // An ATA description is no description of attribute memory.
  describe({{KIND_FUNCTION_SPECIFIC, 0, 0x100000, 0}}, {KIND_FUNCTION_SPECIFIC, 0, 0x800, 0});
  EXPECT_EQ(getDevice(1, 0).kind, KIND_EEPROM);
  EXPECT_EQ(getDevice(0, 0).family, 1u);

  // 0xA404 cards report their attribute memory as 1 MB; it holds 4 KB.
  describe({{KIND_SRAM, 0, 0x1000, 0}}, {KIND_EEPROM, 0, 0x100000, 0xA404});
  EXPECT_EQ(getDevice(1, 0).size, 4096u);
}

TEST_F(AccessorTest, GetDeviceFindsTheRegionHoldingTheOffset) {
  describe({{KIND_SRAM, 0, 0x1000, 0},
            {KIND_FLASH, 3, 0x200000, 0xA289},
            {KIND_NONE, 0, 0x1000, 0},
            {KIND_SRAM, 0, 0x1000, 0}});
  EXPECT_EQ(getDevice(0, 0xFFF).kind, KIND_SRAM);
  DeviceRecord flash = getDevice(0, 0x1000);
  EXPECT_EQ(flash.kind, KIND_FLASH);
  EXPECT_EQ(flash.chipId, 0xA289u);
  EXPECT_EQ(flash.family, 2u);
  EXPECT_EQ(flash.chipSize, 0x200000u);
  EXPECT_EQ(flash.voltage, 120u);
  getDevice(0, 0x201000, CS_BAD_OFFSET);  // a region without a kind
  EXPECT_EQ(getDevice(0, 0x202000).kind, KIND_SRAM);
  getDevice(0, 0x203000, CS_BAD_OFFSET);  // past the last region

  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0, 0}, {KIND_SRAM, 0, 0x1000, 0}});
  getDevice(0, 0x1000, CS_BAD_OFFSET);  // an empty region ends the card

  describe({{KIND_SRAM, 0, 0x1000, 0x1234}});
  EXPECT_EQ(getDevice(0, 0).chipId, 0u);  // chip identifiers belong to flash only
  EXPECT_EQ(call(FN_GET_DEVICE, 0, 0, 32, nullptr), CS_BAD_PARAMETER);
}

TEST_F(AccessorTest, RegionTableFailuresMapToNoCardOrDeviceFailure) {
  struct Case {
    uint32_t deviceResult;
    int32_t expected;
  } cases[] = {{2, CS_NO_CARD},        {6, CS_NO_CARD},           {0x28000006, CS_NO_CARD},
               {4, CS_DEVICE_FAILURE}, {0x0B, CS_DEVICE_FAILURE}, {0x08000004, CS_DEVICE_FAILURE}};
  DeviceRecord sram{KIND_SRAM, 0x1000, 0, 0, 0, 2, 2, 0};
  for (const auto& c : cases) {
    reader.failures = {{"ReadDeviceTable", c.deviceResult}};
    getDevice(0, 0, c.expected);
    EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof sram, &sram), c.expected);
    EXPECT_EQ(select(0), c.expected);
    reader.failures = {{"WriteDeviceTable", c.deviceResult}};
    EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof sram, &sram), c.expected);
  }
}

TEST_F(AccessorTest, SetDeviceStoresChipCodeAndReadsBack) {
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0x1000, 0}});
  DeviceRecord flash{KIND_FLASH, 0x200000, 0x5A5AA289, 99, 0, 0, 0, 0};  // fields 16 to 28 are ignored
  ASSERT_EQ(call(FN_SET_DEVICE, 0, 0x1000, sizeof flash, &flash), CS_OK);
  const zrb2x::RegionEntry stored = reader.table.region[1];
  EXPECT_EQ(stored.kind, KIND_FLASH);
  EXPECT_EQ(stored.deviceCode, 3u);
  EXPECT_EQ(stored.size, 0x200000u);
  EXPECT_EQ(stored.chipId, 0xA289u);

  DeviceRecord back = getDevice(0, 0x1000);
  EXPECT_EQ(back.family, 2u);
  EXPECT_EQ(back.chipSize, 0x200000u);
  EXPECT_EQ(back.eraseUnit, 0x20000u);
  EXPECT_EQ(back.writeUnit, 2u);
  EXPECT_EQ(back.voltage, 120u);

  // Other kinds keep no chip identifier; the kind is stored in one byte.
  DeviceRecord sram{0x106, 0x800, 0xA289, 0, 0, 0, 0, 0};
  ASSERT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof sram, &sram), CS_OK);
  const zrb2x::RegionEntry region0 = reader.table.region[0];
  EXPECT_EQ(region0.kind, KIND_SRAM);
  EXPECT_EQ(region0.chipId, 0u);
  EXPECT_EQ(region0.deviceCode, 0u);
}

TEST_F(AccessorTest, SetDeviceWritesTheDefaultsItShowed) {
  describe({}, {});
  DeviceRecord eeprom{KIND_EEPROM, 0x2000, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(call(FN_SET_DEVICE, 1, 0, sizeof eeprom, &eeprom), CS_OK);
  const zrb2x::RegionEntry common = reader.table.region[0];
  EXPECT_EQ(common.kind, KIND_SRAM);
  EXPECT_EQ(common.size, 0x4000000u);
  const uint32_t attributeSize = reader.table.region[4].size;
  EXPECT_EQ(attributeSize, 0x2000u);
}

TEST_F(AccessorTest, SetDeviceRefusesRecordsTheReaderCannotKeep) {
  describe({{KIND_SRAM, 0, 0x100000, 0}});
  struct Case {
    DeviceRecord record;
    int32_t expected;
  } cases[] = {
      {{KIND_SRAM, 256, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},
      {{KIND_SRAM, 511, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},
      {{KIND_SRAM, 0x4000001, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},
      {{KIND_FLASH, 0x200000, 0xA289, 130, 0, 0, 0, 0}, CS_DEVICE_FAILURE},
      {{KIND_FUNCTION_SPECIFIC, 0x100000, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},
      {{KIND_FUNCTION_SPECIFIC, 0x100000, 0, 1, 0, 0, 0, 0}, CS_OK},
      {{KIND_NONE, 0x1000, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},  // no kind: no region
      {{0x200, 0x1000, 0, 0, 0, 0, 0, 0}, CS_DEVICE_FAILURE},      // nor once cut to one byte
      {{KIND_SRAM, 512, 0, 0, 0, 0, 0, 0}, CS_OK},
      {{KIND_SRAM, 0x4000000, 0, 0, 0, 0, 0, 0}, CS_OK},
  };
  for (auto& c : cases) {
    describe({{KIND_SRAM, 0, 0x100000, 0}});
    const size_t writes = reader.calls("WriteDeviceTable");
    EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof c.record, &c.record), c.expected);
    EXPECT_EQ(reader.calls("WriteDeviceTable") - writes, c.expected == CS_OK ? 1u : 0u);
  }
  DeviceRecord any{KIND_SRAM, 0x1000, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 0x4000000, sizeof any, &any), CS_BAD_OFFSET);
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof any, nullptr), CS_BAD_PARAMETER);
}

TEST_F(AccessorTest, SetDeviceLeavesAnAtaRegionAlone) {
  describe({{KIND_FUNCTION_SPECIFIC, 0, 0x100000, 0}});
  DeviceRecord sram{KIND_SRAM, 0x1000, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, sizeof sram, &sram), CS_OK);
  EXPECT_EQ(reader.calls("WriteDeviceTable"), 0u);
  EXPECT_EQ(getDevice(0, 0).kind, KIND_FUNCTION_SPECIFIC);
}

TEST_F(AccessorTest, SelectRegionAddsTheSizesBeforeIt) {
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0x3000, 0}, {KIND_SRAM, 0, 0x800, 0}});
  reader.common[0x4000] = 0x33;  // region 2, offset 0
  ASSERT_EQ(select(2), CS_OK);
  uint8_t byte = 0;
  ASSERT_EQ(call(FN_READ, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x33);
  EXPECT_EQ(call(FN_READ, 0, 0x800, 1, &byte), CS_OUT_OF_RANGE);  // bounded by region 2's size
  EXPECT_EQ(select(3), CS_BAD_PARAMETER);
  EXPECT_EQ(select(4), CS_BAD_PARAMETER);
  EXPECT_EQ(select(255), CS_BAD_PARAMETER);
  EXPECT_EQ(call(FN_SELECT_REGION, 0, 0, 1, nullptr), CS_BAD_PARAMETER);
}

TEST_F(AccessorTest, RefusedSelectionKeepsTheRegionAndItsBase) {
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0x2000, 0}});
  ASSERT_EQ(select(1), CS_OK);
  describe({{KIND_SRAM, 0, 0x1000, 0}, {KIND_SRAM, 0, 0, 0}, {KIND_SRAM, 0, 0x1000, 0}});
  EXPECT_EQ(select(2), CS_BAD_PARAMETER);  // region 1 is empty: there is no region 2
  uint8_t byte = 0x44;
  ASSERT_EQ(call(FN_WRITE, 0, 0, 1, &byte), CS_OK);
  EXPECT_EQ(reader.common[0x1000], 0x44);  // still region 1 at its own base
  EXPECT_EQ(select(7), CS_BAD_PARAMETER);
  ASSERT_EQ(call(FN_WRITE, 0, 1, 1, &byte), CS_OK);
  EXPECT_EQ(reader.common[0x1001], 0x44);
}

TEST_F(AccessorTest, SelectRegionTakesNoDefaults) {
  describe({}, {});
  EXPECT_EQ(select(0), CS_BAD_PARAMETER);
  uint8_t byte = 0;
  EXPECT_EQ(call(FN_READ, 1, 0, 1, &byte), CS_OUT_OF_RANGE);  // attribute region of size 0
}

TEST_F(AccessorTest, LockTakesAndReleasesTheReader) {
  int32_t take = -1, release = 0;
  EXPECT_EQ(call(FN_LOCK, 0, 0, 4, &take), CS_OK);
  EXPECT_EQ(reader.log.back().op, "AcquireDevice");
  EXPECT_EQ(call(FN_LOCK, 0, 0, 4, &release), CS_OK);
  EXPECT_EQ(reader.log.back().op, "ReleaseDevice");
  uint8_t takeByte = 1;
  reader.acquires = false;
  EXPECT_EQ(call(FN_LOCK, 0, 0, 1, &takeByte), CS_IN_USE);
  reader.releases = false;
  EXPECT_EQ(call(FN_LOCK, 0, 0, 4, &release), CS_IN_USE);
  EXPECT_EQ(call(FN_LOCK, 0, 0, 4, nullptr), CS_BAD_PARAMETER);
}

}  // namespace
}  // namespace accessor::test
