// ATA card access through the pass-through command, and read capacity.
#pragma once

#include <cstdint>

#include "device_link.h"

namespace zrb2x {

struct AtaGeometry {
  uint32_t totalSectors;
  uint32_t reserved1;
  uint32_t cylinders;
  uint32_t reserved2;
  uint32_t heads;
  uint32_t sectorsPerTrack;
};

// taskFile16: the 8 registers to send, then 8 bytes that receive them back.
uint32_t ataCommandNoData(DeviceLink& link, uint8_t* taskFile16);
uint32_t ataCommandDataOut(DeviceLink& link, uint8_t* taskFile16, const void* data, uint16_t sectors);
uint32_t ataCommandDataIn(DeviceLink& link, uint8_t* taskFile16, void* data, uint16_t sectors);
uint32_t ataIdentify(DeviceLink& link, AtaGeometry* geometry);
// The two big-endian numbers of read capacity, in host order.
uint32_t readCapacityValues(DeviceLink& link, uint32_t address, uint32_t* first, uint32_t* second);

}  // namespace zrb2x
