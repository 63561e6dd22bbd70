// The device operations through which the accessor carries out every card
// function. Two bindings implement them: the in-process device library (the
// reader-writer command set over the transports) and the pipe client that asks
// the access service to run the same operations. The accessor picks one at
// attach; tests put fakes in their place.
//
// Data operations return a device result: 0 for success, else
// (additional sense code << 24) | (qualifier << 16) | sense key.
#pragma once

#include <cstdint>

#include "device_table.h"

namespace zrb2x {

constexpr uint32_t kSectorSize = 512;

class DeviceOperations {
 public:
  virtual ~DeviceOperations() = default;

  virtual uint32_t WriteSectors(uint32_t device, uint32_t firstSector, uint32_t sectorCount,
                                const void* source, uint32_t sectorSize) = 0;
  virtual uint32_t ReadSectors(uint32_t device, uint32_t firstSector, uint32_t sectorCount, void* destination,
                               uint32_t sectorSize) = 0;
  virtual uint32_t GetStatus(uint32_t device, uint32_t* status) = 0;
  virtual uint32_t WriteCommon(uint32_t device, uint32_t address, uint32_t count, const void* source) = 0;
  virtual uint32_t ReadCommon(uint32_t device, uint32_t address, uint32_t count, void* destination) = 0;
  virtual uint32_t WriteAttribute(uint32_t device, uint32_t address, uint32_t count, const void* source) = 0;
  virtual uint32_t ReadAttribute(uint32_t device, uint32_t address, uint32_t count, void* destination) = 0;
  virtual uint32_t EraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) = 0;
  virtual uint32_t WriteDeviceTable(uint32_t device, const DeviceTable* table) = 0;
  virtual uint32_t ReadDeviceTable(uint32_t device, DeviceTable* table) = 0;
  virtual bool ReleaseDevice(uint32_t device) = 0;
  virtual bool AcquireDevice(uint32_t device) = 0;
  virtual uint32_t CountDevices() = 0;
  virtual bool CloseLibrary() = 0;
  virtual bool OpenLibrary() = 0;
};

}  // namespace zrb2x
