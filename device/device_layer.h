// One transport family of the device list (SCSI layer, USB driver, virtual
// reader-writers): opened once, scanned by every device count.
#pragma once

#include <cstdint>

#include "device_link.h"

namespace zrb2x {

class DeviceLayer {
 public:
  virtual ~DeviceLayer() = default;
  virtual bool open() = 0;
  virtual void close() = 0;
  // Finds the layer's devices, at most `limit`; their links live until the
  // next scan or close.
  virtual uint32_t scan(uint32_t limit) = 0;
  virtual DeviceLink* link(uint32_t index) = 0;
};

}  // namespace zrb2x
