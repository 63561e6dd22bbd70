// The chip table shared by the accessor and the device library: programming
// parameters of a region by device kind and flash chip identifier.
#pragma once

#include <cstdint>

namespace zrb2x {

struct ChipParameters {
  uint32_t family;      // programming-algorithm family (DeviceRecord::family)
  uint32_t deviceCode;  // the reader-writer's own code (RegionEntry::deviceCode)
  uint32_t chipSize;
  uint32_t eraseUnit;
  uint32_t writeUnit;
  uint32_t voltage;  // tenths of a volt
};

// EEPROM, SRAM and DRAM: byte-addressable, erased to 0xFF in 2-byte units.
// Function-specific (ATA): sector access, family 1. Flash: the first row that
// lists the chip identifier (low 16 bits). Anything else: all zeros.
ChipParameters chipParameters(uint32_t kind, uint32_t chipId);

// The flash row of a chip identifier, or nullptr when the table does not list it.
const ChipParameters* findFlashChip(uint32_t chipId);

}  // namespace zrb2x
