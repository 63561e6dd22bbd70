// Transfer rules on top of the memory commands: common memory is 16 bits wide
// and only ever sees word-aligned transfers; attribute memory holds data at
// even addresses only; every command moves at most 64 KiB.
#pragma once

#include <cstdint>

#include "device_link.h"

namespace zrb2x {

constexpr uint32_t kMaxBytesPerCommand = 0x10000;
constexpr uint32_t kMaxSectorsPerCommand = kMaxBytesPerCommand / 512;

uint32_t readCommonMemory(DeviceLink& link, uint32_t address, uint32_t count, void* destination);
uint32_t writeCommonMemory(DeviceLink& link, uint32_t address, uint32_t count, const void* source);
uint32_t readAttributeMemory(DeviceLink& link, uint32_t address, uint32_t count, void* destination);
uint32_t writeAttributeMemory(DeviceLink& link, uint32_t address, uint32_t count, const void* source);
// sectorSize must be 512: the device always moves 512-byte sectors.
uint32_t readSectorRange(DeviceLink& link, uint32_t first, uint32_t count, void* destination,
                         uint32_t sectorSize);
uint32_t writeSectorRange(DeviceLink& link, uint32_t first, uint32_t count, const void* source,
                          uint32_t sectorSize);

}  // namespace zrb2x
