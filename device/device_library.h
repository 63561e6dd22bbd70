// The device library: opens the transports, builds the device list and
// closes everything again. The real layers (SCSI layer, USB driver) open
// together or not at all; the virtual layer opens on its own, so the suite
// works on a machine without the real transports when virtual readers are
// configured.
#pragma once

#include <memory>
#include <vector>

#include "device_layer.h"
#include "device_list.h"

namespace zrb2x {

class DeviceLibrary {
 public:
  DeviceLibrary(std::vector<std::unique_ptr<DeviceLayer>> realLayers,
                std::unique_ptr<DeviceLayer> virtualLayer);
  ~DeviceLibrary();
  DeviceLibrary(const DeviceLibrary&) = delete;
  DeviceLibrary& operator=(const DeviceLibrary&) = delete;

  bool open();
  void close();
  bool isOpen() const { return realOpen_ || virtualOpen_; }
  // Opens if needed, rebuilds the list and returns its length.
  uint32_t countDevices();
  // The entry of a listed device, or null when the index is out of range.
  DeviceEntry* entry(uint32_t device);
  uint32_t deviceCount() const { return static_cast<uint32_t>(entries_.size()); }

 private:
  std::vector<std::unique_ptr<DeviceLayer>> realLayers_;
  std::unique_ptr<DeviceLayer> virtualLayer_;
  bool realOpen_ = false;
  bool virtualOpen_ = false;
  std::vector<DeviceEntry> entries_;
};

}  // namespace zrb2x
