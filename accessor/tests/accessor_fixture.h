// A card accessor over a FakeReader with a card described region by region.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "card_accessor.h"
#include "fake_reader.h"

namespace accessor::test {

using namespace cardservice;

class AccessorTest : public ::testing::Test {
 protected:
  FakeReader reader;
  CardAccessor cards{reader, 1};

  // Describes common regions 0.. in order, then the attribute region.
  void describe(std::initializer_list<zrb2x::RegionEntry> commonRegions,
                zrb2x::RegionEntry attributeRegion = {KIND_EEPROM, 0, 0x2000, 0}) {
    reader.table = zrb2x::DeviceTable{};
    uint32_t i = 0;
    for (const auto& entry : commonRegions) reader.table.region[i++] = entry;
    reader.table.region[zrb2x::kAttributeRegion] = attributeRegion;
  }

  int32_t call(uint32_t code, uint32_t space = 0, uint32_t offset = 0, uint32_t length = 0,
               void* data = nullptr) {
    return cards.call(code, 0, space, offset, length, data);
  }
  int32_t select(uint8_t index) { return call(FN_SELECT_REGION, 0, 0, 1, &index); }
  int32_t pollStatus(uint8_t* byte = nullptr) { return call(FN_STATUS, 0, 0, 1, byte); }
  DeviceRecord getDevice(uint32_t space, uint32_t offset, int32_t expected = CS_OK) {
    DeviceRecord record{};
    EXPECT_EQ(call(FN_GET_DEVICE, space, offset, sizeof record, &record), expected);
    return record;
  }
};

}  // namespace accessor::test
