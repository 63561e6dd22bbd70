#pragma once

#include "spti_system.h"
#include "win32_sync.h"

namespace zrb2x::win {

class SptiSystem : public Win32Sync<os::SptiSystem> {
 public:
  uint32_t logicalDrives() override;
  bool isRemovableDrive(char letter) override;
  os::Handle openDevice(const std::string& path) override;
  bool passThrough(os::Handle device, const os::PassThroughRequest& request, uint32_t* error) override;
  os::ScsiAddress scsiAddress(os::Handle device) override;
  std::string volumeNameOfDrive(char letter) override;
  std::vector<std::string> volumeNames() override;
  bool lockVolume(os::Handle device) override;
  bool unlockVolume(os::Handle device) override;
  bool dismountVolume(os::Handle device) override;
  bool loadMedia(os::Handle device) override;
  bool ejectMedia(os::Handle device) override;
};

}  // namespace zrb2x::win
