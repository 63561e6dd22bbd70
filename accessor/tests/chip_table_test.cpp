// The chip table against the reader-writer's list of flash chips, typed here
// from that list rather than from the code's table: every identifier of every
// row, including the page-programmed chips, must give the row's programming
// parameters and the device code the reader-writer is told to use.
#include <gtest/gtest.h>

#include <vector>

#include "chip_table.h"
#include "region_table.h"

namespace accessor::test {
namespace {

using namespace cardservice;

struct ExpectedRow {
  std::vector<uint16_t> ids;
  zrb2x::ChipParameters parameters;  // family, deviceCode, chipSize, eraseUnit, writeUnit, voltage
};

const ExpectedRow kExpected[] = {
    {{0x7E01}, {6, 10, 0x800000, 0x20000, 2, 50}},
    {{0x7EC2}, {6, 11, 0x2000000, 0x40000, 2, 50}},
    {{0xA701, 0x8F04, 0xD01C, 0xB431, 0xB489, 0x0EAE}, {1, 1, 0x40000, 0x40000, 2, 120}},
    {{0x2A01, 0xBD31, 0xBD89}, {1, 2, 0x80000, 0x80000, 2, 120}},
    {{0xA289}, {2, 3, 0x200000, 0x20000, 2, 120}},
    {{0xA089}, {2, 3, 0x400000, 0x20000, 2, 120}},
    {{0xA789}, {2, 8, 0x100000, 0x20000, 2, 50}},
    {{0xA689, 0x88B0}, {2, 8, 0x200000, 0x20000, 2, 50}},
    {{0xAA89, 0xA8B0}, {2, 8, 0x400000, 0x20000, 2, 50}},
    {{0x2901}, {3, 4, 0x40000, 0x40000, 2, 50}},
    {{0xA201}, {3, 5, 0x80000, 0x80000, 2, 50}},
    {{0x2001, 0xF804}, {4, 6, 0x40000, 0x8000, 2, 50}},
    {{0xA401, 0xA404}, {4, 7, 0x100000, 0x20000, 2, 50}},
    {{0xD501, 0x3801, 0xD504, 0x3804}, {4, 7, 0x200000, 0x20000, 2, 50}},
    {{0xAD01, 0x3D01, 0xAD04, 0x3D04}, {4, 7, 0x400000, 0x20000, 2, 50}},
    {{0xD404}, {4, 7, 0x800000, 0x20000, 2, 50}},
    {{0x7E04, 0xD704, 0x9598, 0x9398}, {4, 7, 0x1000000, 0x20000, 2, 50}},
    {{0xDC1F}, {5, 9, 0x10000, 0x80, 0x80, 50}},
    {{0x5D1F}, {5, 9, 0x20000, 0x100, 0x100, 50}},
    {{0xD51F}, {5, 9, 0x40000, 0x100, 0x100, 50}},
    {{0xDA1F}, {5, 9, 0x80000, 0x200, 0x200, 50}},
    {{0x5B1F}, {5, 9, 0x100000, 0x200, 0x200, 50}},
};

void expectParameters(const zrb2x::ChipParameters& got, const zrb2x::ChipParameters& want) {
  EXPECT_EQ(got.family, want.family);
  EXPECT_EQ(got.deviceCode, want.deviceCode);
  EXPECT_EQ(got.chipSize, want.chipSize);
  EXPECT_EQ(got.eraseUnit, want.eraseUnit);
  EXPECT_EQ(got.writeUnit, want.writeUnit);
  EXPECT_EQ(got.voltage, want.voltage);
}

TEST(ChipTable, EveryListedFlashChipGivesItsRow) {
  for (const ExpectedRow& row : kExpected) {
    for (uint16_t id : row.ids) {
      SCOPED_TRACE(testing::Message() << std::hex << "chip 0x" << id);
      expectParameters(zrb2x::chipParameters(KIND_FLASH, id), row.parameters);
      // Only the low 16 bits identify the chip.
      expectParameters(zrb2x::chipParameters(KIND_FLASH, 0xABCD0000u | id), row.parameters);

      // What FN_SET_DEVICE stores, and what FN_GET_DEVICE then shows.
      const DeviceRecord set{KIND_FLASH, 0x400000, id, row.parameters.family, 0, 0, 0, 0};
      const zrb2x::RegionEntry entry = entryFromDeviceRecord(set);
      EXPECT_EQ(entry.deviceCode, row.parameters.deviceCode);
      EXPECT_EQ(entry.chipId, id);
      const DeviceRecord shown = deviceRecordFromEntry(entry);
      EXPECT_EQ(shown.writeUnit, row.parameters.writeUnit);
      EXPECT_EQ(shown.eraseUnit, row.parameters.eraseUnit);
    }
  }
}

TEST(ChipTable, OtherKindsAndUnlistedChips) {
  const zrb2x::ChipParameters byteMemory{0, 0, 0, 2, 2, 0}, sectors{1, 0, 0, 512, 512, 0}, none{};
  for (uint32_t kind : {KIND_EEPROM, KIND_SRAM, KIND_DRAM})
    expectParameters(zrb2x::chipParameters(kind, 0xA289), byteMemory);
  expectParameters(zrb2x::chipParameters(KIND_FUNCTION_SPECIFIC, 0), sectors);
  for (uint32_t kind : {0u, 1u, 2u, 3u, 8u, 12u, 14u, 0x105u})
    expectParameters(zrb2x::chipParameters(kind, 0xA289), none);
  for (uint32_t id : {0x0000u, 0x0089u, 0xA200u, 0x89A2u, 0x1F5Bu, 0xFFFFu})
    expectParameters(zrb2x::chipParameters(KIND_FLASH, id), none);
}

}  // namespace
}  // namespace accessor::test
