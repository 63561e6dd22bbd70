#pragma once

#include "usb_driver_system.h"
#include "win32_sync.h"

namespace zrb2x::win {

class UsbDriverSystem : public Win32Sync<os::UsbDriverSystem> {
 public:
  uint32_t countInterfaces(uint32_t max) override;
  std::string interfacePath(uint32_t index) override;
  os::Handle openFile(const std::string& path) override;
  uint32_t deviceControl(os::Handle handle, uint32_t code, const void* input, uint32_t inputLength) override;
  uint32_t readFile(os::Handle handle, void* data, uint32_t count) override;
  uint32_t writeFile(os::Handle handle, const void* data, uint32_t count) override;
};

}  // namespace zrb2x::win
