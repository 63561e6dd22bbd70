// The whole operation set of the device library: the operations the accessor
// uses (DeviceOperations) and those only the access service offers through
// its pipe. InProcessDevices implements it; the service serves it as it
// stands; its tests put a fake in its place. Results are device results
// unless bool; a failed bool call leaves its reason in LastSystemError().
#pragma once

#include <cstdint>
#include <string>

#include "ata_operations.h"
#include "device_operations.h"

namespace zrb2x {

class LibraryOperations : public DeviceOperations {
 public:
  // What names the device from one rescan to the next (its folder, drive or
  // interface); empty when nothing does.
  virtual std::string Identity(uint32_t device) = 0;
  // The thread's last-error value, read right after a failed bool call.
  virtual uint32_t LastSystemError() = 0;

  virtual uint32_t Inquiry(uint32_t device, uint8_t* data36) = 0;
  virtual uint32_t Rezero(uint32_t device) = 0;
  virtual uint32_t ReadCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second) = 0;
  virtual uint32_t DownloadFirmware(uint32_t device, const void* image, uint32_t count) = 0;
  virtual uint32_t VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1,
                                   uint8_t b2) = 0;
  virtual uint32_t AtaWriteTaskFile(uint32_t device, const uint8_t* registers8) = 0;
  virtual uint32_t AtaReadTaskFile(uint32_t device, uint8_t* registers8) = 0;
  virtual uint32_t AtaExecute(uint32_t device) = 0;
  virtual uint32_t AtaWriteData(uint32_t device, uint16_t sectors, const void* data) = 0;
  virtual uint32_t AtaReadData(uint32_t device, uint16_t sectors, void* data) = 0;
  virtual bool Load(uint32_t device) = 0;
  virtual bool Eject(uint32_t device) = 0;
  virtual bool QueryDriveLetter(uint32_t device, uint32_t* value) = 0;
  virtual bool QueryDiscoveryPosition(uint32_t device, uint32_t* value) = 0;
};

// The calling thread's last-error value (Windows: GetLastError; the host: 0).
uint32_t platformLastError();

}  // namespace zrb2x
