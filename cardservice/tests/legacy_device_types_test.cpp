#include "legacy_device_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace cardservice;

namespace {

DeviceRecord flash(uint32_t family, uint32_t chipSize, uint32_t eraseUnit, uint32_t voltage) {
  return {KIND_FLASH, 0x100000, 0x1234, family, chipSize, eraseUnit, 2, voltage};
}

}  // namespace

// The legacy device-type table as the card utility and older callers know it,
// typed here independently of the code's own table: every column of every
// row, and no code besides these.
struct ExpectedLegacyType {
  uint16_t code;
  uint32_t kind, chipId, family, chipSize, eraseUnit, writeUnit, voltage;
};
constexpr ExpectedLegacyType kExpectedTypes[] = {
    {0, 6, 0, 0, 0, 0x2, 0x2, 0},
    {1, 4, 0, 0, 0, 0x2, 0x2, 0},
    {2, 5, 0xB489, 1, 0x40000, 0x40000, 2, 120},
    {66, 5, 0xBD89, 1, 0x80000, 0x80000, 2, 120},
    {3, 5, 0xA289, 2, 0x200000, 0x20000, 2, 120},
    {4, 5, 0x2901, 3, 0x40000, 0x40000, 2, 120},
    {68, 5, 0xA201, 3, 0x80000, 0x80000, 2, 120},
    {5, 5, 0x2001, 4, 0x40000, 0x8000, 2, 50},
    {69, 5, 0xA401, 4, 0x100000, 0x20000, 2, 50},
    {6, 5, 0x88B0, 2, 0x200000, 0x20000, 2, 50},
    {9, 5, 0x7E01, 6, 0x800000, 0x20000, 2, 50},
    {10, 5, 0x7EC2, 6, 0x2000000, 0x40000, 2, 50},
    {7, 1, 0, 0, 0, 0, 0, 0},
    {8, 13, 0, 1, 0, 0x200, 0x200, 0},
    {131, 5, 0xA289, 130, 0x100000, 0x10000, 2, 120},
    {134, 5, 0x88B0, 130, 0x100000, 0x10000, 2, 50},
    {197, 5, 0x7E04, 132, 0x80000, 0x10000, 2, 50},
};

TEST(LegacyDeviceTypes, ForwardTranslationFollowsTheLegacyTable) {
  for (const auto& want : kExpectedTypes) {
    SCOPED_TRACE(want.code);
    const DeviceRecord r = deviceRecordFromLegacy({want.code, 0x5555, 0x123456});
    EXPECT_EQ(r.kind, want.kind);
    EXPECT_EQ(r.size, 0x123456u);
    EXPECT_EQ(r.chipId, want.chipId);  // from the table, never from the caller's record
    EXPECT_EQ(r.family, want.family);
    EXPECT_EQ(r.chipSize, want.chipSize);
    EXPECT_EQ(r.eraseUnit, want.eraseUnit);
    EXPECT_EQ(r.writeUnit, want.writeUnit);
    EXPECT_EQ(r.voltage, want.voltage);
  }
  // Every other code gives an empty record that keeps only the size.
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    bool listed = false;
    for (const auto& want : kExpectedTypes) listed |= want.code == code;
    if (listed) continue;
    const DeviceRecord r = deviceRecordFromLegacy({static_cast<uint16_t>(code), 0x5555, 0x1000});
    const DeviceRecord empty{0, 0x1000, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(std::memcmp(&r, &empty, sizeof r), 0) << code;
  }
}

TEST(LegacyDeviceTypes, EveryKnownCodeSurvivesTheRoundTrip) {
  // Building a DeviceRecord from each legacy code and translating it back must
  // give the same code (7 "UNKNOWN" too), the size and the chip identifier.
  for (const auto& type : legacyDeviceTypes()) {
    SCOPED_TRACE(type.code);
    LegacyDeviceRecord legacy{type.code, 0, 0x123400};
    DeviceRecord record = deviceRecordFromLegacy(legacy);
    EXPECT_EQ(record.size, 0x123400u);
    EXPECT_EQ(record.kind, type.kind);
    EXPECT_EQ(record.chipId, type.chipId);
    LegacyDeviceRecord back = legacyFromDeviceRecord(record);
    EXPECT_EQ(back.type, type.code);
    EXPECT_EQ(back.size, 0x123400u);
    EXPECT_EQ(back.chipId, type.chipId & 0xFFFF);
  }
}

TEST(LegacyDeviceTypes, ForwardRowsCarryTheProgrammingParameters) {
  DeviceRecord r = deviceRecordFromLegacy({3, 0, 0x400000});
  EXPECT_EQ(r.kind, 5u);
  EXPECT_EQ(r.chipId, 0xA289u);
  EXPECT_EQ(r.family, 2u);
  EXPECT_EQ(r.chipSize, 0x200000u);
  EXPECT_EQ(r.eraseUnit, 0x20000u);
  EXPECT_EQ(r.writeUnit, 2u);
  EXPECT_EQ(r.voltage, 120u);

  r = deviceRecordFromLegacy({8, 0, 0x200000});
  EXPECT_EQ(r.kind, 13u);
  EXPECT_EQ(r.family, 1u);
  EXPECT_EQ(r.eraseUnit, 0x200u);
  EXPECT_EQ(r.writeUnit, 0x200u);

  r = deviceRecordFromLegacy({131, 0, 0x100000});
  EXPECT_EQ(r.family, 130u);  // refused later by the accessor (bit 7 set)
}

TEST(LegacyDeviceTypes, UnknownCodeGivesAnEmptyRecordWithTheSize) {
  for (uint16_t code : {11, 65, 130, 200, 0xFFFF}) {
    DeviceRecord r = deviceRecordFromLegacy({code, 0x1234, 4096});
    EXPECT_EQ(r.kind, 0u);
    EXPECT_EQ(r.chipId, 0u);
    EXPECT_EQ(r.family, 0u);
    EXPECT_EQ(r.writeUnit, 0u);
    EXPECT_EQ(r.size, 4096u);
    // ... and an empty record comes back as "UNKNOWN".
    EXPECT_EQ(legacyTypeOf(r), kLegacyUnknown);
  }
}

TEST(LegacyDeviceTypes, ReverseRulesByKind) {
  EXPECT_EQ(legacyTypeOf({KIND_SRAM, 0, 0, 5, 0, 0, 0, 0}), 0);  // family does not matter
  EXPECT_EQ(legacyTypeOf({KIND_EEPROM, 0, 0, 9, 0, 0, 0, 0}), 1);
  EXPECT_EQ(legacyTypeOf({KIND_FUNCTION_SPECIFIC, 0, 0, 1, 0, 0, 0, 0}), 8);
  EXPECT_EQ(legacyTypeOf({KIND_FUNCTION_SPECIFIC, 0, 0, 0, 0, 0, 0, 0}), 7);
  EXPECT_EQ(legacyTypeOf({KIND_FUNCTION_SPECIFIC, 0, 0, 2, 0, 0, 0, 0}), 7);
  EXPECT_EQ(legacyTypeOf({KIND_ROM, 0, 0, 0, 0, 0, 0, 0}), 7);
  EXPECT_EQ(legacyTypeOf({KIND_DRAM, 0, 0, 0, 0, 0, 0, 0}), 7);
  EXPECT_EQ(legacyTypeOf({KIND_NONE, 0, 0, 0, 0, 0, 0, 0}), 7);
}

TEST(LegacyDeviceTypes, ReverseRulesForFlashDecideByOneFieldPerFamily) {
  EXPECT_EQ(legacyTypeOf(flash(1, 0x40000, 0, 0)), 2);
  EXPECT_EQ(legacyTypeOf(flash(1, 0x80000, 0, 0)), 66);
  EXPECT_EQ(legacyTypeOf(flash(1, 0x100000, 0x40000, 120)), 7);
  EXPECT_EQ(legacyTypeOf(flash(2, 0, 0, 50)), 6);
  EXPECT_EQ(legacyTypeOf(flash(2, 0x400000, 0x20000, 120)), 3);  // chip size is not looked at
  EXPECT_EQ(legacyTypeOf(flash(2, 0x200000, 0x20000, 33)), 7);
  EXPECT_EQ(legacyTypeOf(flash(3, 0x40000, 0, 0)), 4);
  EXPECT_EQ(legacyTypeOf(flash(3, 0x80000, 0, 0)), 68);
  EXPECT_EQ(legacyTypeOf(flash(3, 0x20000, 0, 0)), 7);
  EXPECT_EQ(legacyTypeOf(flash(4, 0, 0x8000, 0)), 5);
  EXPECT_EQ(legacyTypeOf(flash(4, 0x1000000, 0x20000, 50)), 69);
  EXPECT_EQ(legacyTypeOf(flash(4, 0, 0x10000, 0)), 7);
  EXPECT_EQ(legacyTypeOf(flash(5, 0x10000, 0x80, 50)), 7);  // page-programmed: no legacy code
  EXPECT_EQ(legacyTypeOf(flash(6, 0, 0x20000, 0)), 9);
  EXPECT_EQ(legacyTypeOf(flash(6, 0, 0x40000, 0)), 10);
  EXPECT_EQ(legacyTypeOf(flash(6, 0, 0x80000, 0)), 7);
  EXPECT_EQ(legacyTypeOf(flash(130, 0, 0, 50)), 134);
  EXPECT_EQ(legacyTypeOf(flash(130, 0, 0, 120)), 131);
  EXPECT_EQ(legacyTypeOf(flash(130, 0, 0, 0)), 7);
  EXPECT_EQ(legacyTypeOf(flash(132, 0, 0x10000, 0)), 197);
  EXPECT_EQ(legacyTypeOf(flash(132, 0, 0x20000, 0)), 7);
  EXPECT_EQ(legacyTypeOf(flash(9, 0, 0x20000, 50)), 7);
}

TEST(LegacyDeviceTypes, ReverseCopiesLowChipIdBitsAndSize) {
  DeviceRecord r{KIND_FLASH, 0xABCDEF, 0x12345678, 4, 0x40000, 0x8000, 2, 50};
  LegacyDeviceRecord legacy = legacyFromDeviceRecord(r);
  EXPECT_EQ(legacy.type, 5);
  EXPECT_EQ(legacy.chipId, 0x5678);
  EXPECT_EQ(legacy.size, 0xABCDEFu);
}

TEST(LegacyDeviceTypes, CardUtilityListHasFourteenNamedTypesInOrder) {
  const char* expected[] = {"SRAM",   "EEPROM",  "28F010",     "28F020", "28F008~", "28F010A", "28F020A",
                            "29F010", "29F040~", "28F008_5V~", "S29GL~", "MX29GL~", "UNKNOWN", "ATA"};
  auto order = legacyDeviceTypeListOrder();
  ASSERT_EQ(order.size(), 14u);
  std::set<uint16_t> distinct(order.begin(), order.end());
  EXPECT_EQ(distinct.size(), 14u);
  for (size_t i = 0; i < order.size(); ++i) {
    const auto* type = findLegacyDeviceType(order[i]);
    ASSERT_NE(type, nullptr);
    ASSERT_NE(type->name, nullptr);
    EXPECT_EQ(std::string(type->name), expected[i]);
  }
  for (uint16_t hidden : {131, 134, 197}) EXPECT_EQ(findLegacyDeviceType(hidden)->name, nullptr);
}
