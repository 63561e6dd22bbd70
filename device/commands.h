// The reader-writer's command set: one function per command, each one
// transport call (fill the device's CDB buffer, execute it with a direction, a
// CDB length, a buffer and a byte count). Commands marked for retry in the
// table of commands.cpp are sent a second time, once, when the first answer
// is a card change (0x28000006).
#pragma once

#include <cstdint>

#include "device_link.h"

namespace zrb2x::cmd {

constexpr uint32_t kInquiryLength = 36;
constexpr uint32_t kSenseLength = 18;
constexpr uint32_t kRawRegionTableLength = 42;
constexpr uint32_t kStatusLength = 4;
constexpr uint32_t kCapacityLength = 8;
constexpr uint32_t kTaskFileLength = 8;

enum class AtaSub : uint8_t { WriteTaskFile = 1, ReadTaskFile = 2, Execute = 3, WriteData = 4, ReadData = 5 };

uint32_t rezero(DeviceLink& link);
uint32_t requestSense(DeviceLink& link, uint8_t* sense18);
uint32_t writeRegionTable(DeviceLink& link, const uint8_t* raw42);
uint32_t readRegionTable(DeviceLink& link, uint8_t* raw42);
uint32_t inquiry(DeviceLink& link, uint8_t lun, uint8_t* data36);
uint32_t cardStatus(DeviceLink& link, uint8_t* data4);
uint32_t loadMedium(DeviceLink& link, uint8_t lun);
uint32_t ejectMedium(DeviceLink& link);
uint32_t readCommon(DeviceLink& link, uint32_t address, uint32_t count, void* data);
uint32_t erase(DeviceLink& link, bool attributeSpace, uint32_t address, uint32_t count);
uint32_t writeCommon(DeviceLink& link, uint32_t address, uint32_t count, const void* data);
uint32_t readAttribute(DeviceLink& link, uint32_t address, uint32_t count, void* data);
uint32_t readCapacity(DeviceLink& link, uint32_t address, uint8_t* data8);
uint32_t writeAttribute(DeviceLink& link, uint32_t address, uint32_t count, const void* data);
uint32_t readSectors(DeviceLink& link, uint32_t lba, uint16_t sectors, void* data);
uint32_t writeSectors(DeviceLink& link, uint32_t lba, uint16_t sectors, const void* data);
// Write buffer: the CDB's bytes 1 to 9 as given (firmware download builds them).
uint32_t writeBuffer(DeviceLink& link, const uint8_t* cdbTail9, const void* data, uint32_t count);
uint32_t vendor3D(DeviceLink& link, uint32_t address, uint16_t word, uint8_t b1, uint8_t b2);
// ATA pass-through; data is 8 bytes for the task-file sub-codes, sectors × 512
// for the data sub-codes, none for execute.
uint32_t ataPassThrough(DeviceLink& link, AtaSub sub, uint16_t sectors, void* data);

}  // namespace zrb2x::cmd
