// What the access service needs from the device library: the device table and
// every operation a request can ask for. The service binds it to the device
// library; tests bind it to a fake.
#pragma once

#include <cstdint>
#include <string>

#include "device_table.h"

namespace zrb2x::service {

// A system-level device call: its Boolean outcome and, on failure, the
// thread's last-error value right after the call.
struct SystemCallResult {
  bool ok;
  uint32_t error;
};

class ServiceBackend {
 public:
  virtual ~ServiceBackend() = default;

  // Rebuilds the device table; returns its length.
  virtual uint32_t enumerate() = 0;
  // What names the device at `device` in the table from one rescan to the
  // next (its folder, drive or interface); empty when nothing does.
  virtual std::string identity(uint32_t device) = 0;

  virtual SystemCallResult queryDriveLetter(uint32_t device, uint32_t* value) = 0;
  virtual SystemCallResult queryDiscoveryPosition(uint32_t device, uint32_t* value) = 0;
  virtual SystemCallResult load(uint32_t device) = 0;
  virtual SystemCallResult eject(uint32_t device) = 0;
  virtual SystemCallResult acquire(uint32_t device) = 0;
  virtual SystemCallResult release(uint32_t device) = 0;

  // Device commands; each returns the device result.
  virtual uint32_t rezero(uint32_t device) = 0;
  virtual uint32_t writeDeviceTable(uint32_t device, const DeviceTable* table) = 0;
  virtual uint32_t readDeviceTable(uint32_t device, DeviceTable* table) = 0;
  virtual uint32_t inquiry(uint32_t device, uint8_t* data36) = 0;
  virtual uint32_t getStatus(uint32_t device, uint32_t* status) = 0;
  virtual uint32_t readCommon(uint32_t device, uint32_t address, uint32_t count, void* data) = 0;
  virtual uint32_t writeCommon(uint32_t device, uint32_t address, uint32_t count, const void* data) = 0;
  virtual uint32_t readAttribute(uint32_t device, uint32_t address, uint32_t count, void* data) = 0;
  virtual uint32_t writeAttribute(uint32_t device, uint32_t address, uint32_t count, const void* data) = 0;
  virtual uint32_t eraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) = 0;
  virtual uint32_t readCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second) = 0;
  virtual uint32_t readSectors(uint32_t device, uint32_t first, uint32_t sectors, void* data) = 0;
  virtual uint32_t writeSectors(uint32_t device, uint32_t first, uint32_t sectors, const void* data) = 0;
  virtual uint32_t downloadFirmware(uint32_t device, const void* image, uint32_t count) = 0;
  virtual uint32_t vendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1,
                                   uint8_t b2) = 0;
  virtual uint32_t ataWriteTaskFile(uint32_t device, const uint8_t* registers8) = 0;
  virtual uint32_t ataReadTaskFile(uint32_t device, uint8_t* registers8) = 0;
  virtual uint32_t ataExecute(uint32_t device) = 0;
  virtual uint32_t ataWriteData(uint32_t device, uint16_t sectors, const void* data) = 0;
  virtual uint32_t ataReadData(uint32_t device, uint16_t sectors, void* data) = 0;
};

}  // namespace zrb2x::service
