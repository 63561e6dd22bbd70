// The Win32 calls of the SCSI pass-through transport (NT-family systems).
// win32_spti_system.cpp implements them; tests use fakes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device_link.h"
#include "os_sync.h"

namespace zrb2x::os {

struct ScsiAddress {
  uint32_t length = 0;  // 0 when the system gave none
  uint8_t port = 0, path = 0, target = 0, lun = 0;
};

struct PassThroughRequest {
  uint8_t path = 0, target = 0, lun = 0;
  const uint8_t* cdb = nullptr;
  uint8_t cdbLength = 0;
  Direction direction = Direction::None;
  void* data = nullptr;
  uint32_t count = 0;
  uint32_t timeoutSeconds = 32;
  uint8_t* sense = nullptr;  // 24 bytes, cleared by the caller
  // Filled by the system when the request was sent: the target's SCSI status
  // and the bytes the data phase moved.
  uint8_t* scsiStatus = nullptr;
  uint32_t* transferred = nullptr;
};

constexpr uint8_t kScsiStatusGood = 0x00;

class SptiSystem : public Sync {
 public:
  virtual uint32_t logicalDrives() = 0;  // bit 0 = A:
  virtual bool isRemovableDrive(char letter) = 0;
  virtual Handle openDevice(const std::string& path) = 0;  // read/write, shared read/write; 0 on failure
  // True when the request was sent; else *error holds the system's error code.
  virtual bool passThrough(Handle device, const PassThroughRequest& request, uint32_t* error) = 0;
  virtual ScsiAddress scsiAddress(Handle device) = 0;
  virtual std::string volumeNameOfDrive(char letter) = 0;  // "\\?\Volume{...}\" or empty
  virtual std::vector<std::string> volumeNames() = 0;      // every volume of the system
  virtual bool lockVolume(Handle device) = 0;
  virtual bool unlockVolume(Handle device) = 0;
  virtual bool dismountVolume(Handle device) = 0;
  virtual bool loadMedia(Handle device) = 0;
  virtual bool ejectMedia(Handle device) = 0;
};

}  // namespace zrb2x::os
