// The Win32 calls of the reader-writer's own USB driver: device-interface
// enumeration of its class and file I/O on the interface and its pipes.
// win32_usb_driver_system.cpp implements them; tests use fakes.
#pragma once

#include <cstdint>
#include <string>

#include "os_sync.h"

namespace zrb2x::os {

class UsbDriverSystem : public Sync {
 public:
  // Present interfaces of the driver's class, enumerated from index 0 until
  // enumeration fails, at most `max`.
  virtual uint32_t countInterfaces(uint32_t max) = 0;
  virtual std::string interfacePath(uint32_t index) = 0;  // empty on failure
  virtual Handle openFile(const std::string& path) = 0;   // 0 on failure
  // Each returns 0 on success, else the system error code.
  virtual uint32_t deviceControl(Handle handle, uint32_t code, const void* input, uint32_t inputLength) = 0;
  virtual uint32_t readFile(Handle handle, void* data, uint32_t count) = 0;
  virtual uint32_t writeFile(Handle handle, const void* data, uint32_t count) = 0;
};

}  // namespace zrb2x::os
