// The reader-writer's own 42-byte region table (data of the region table
// commands) and the 84-byte DeviceTable the device operations hand around.
#pragma once

#include <cstdint>

#include "device_table.h"

namespace zrb2x {

// Firmware before 2.00 keeps the attribute region's size in 2-byte units.
constexpr uint32_t kRevisionAttributeInBytes = 0x322E3030;  // "2.00"

DeviceTable decodeRegionTable(const uint8_t* raw42, uint32_t firmwareRevision);
void encodeRegionTable(const DeviceTable& table, uint32_t firmwareRevision, uint8_t* raw42);

}  // namespace zrb2x
