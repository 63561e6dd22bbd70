// The device list: every listed reader-writer with its operation record, in
// list order (SCSI layer, USB driver, virtual), at most 64.
#pragma once

#include <cstdint>
#include <vector>

#include "device_entry.h"
#include "device_layer.h"

namespace zrb2x {

constexpr uint32_t kMaxDevices = 64;

// Scans the layers in order and reads each device's status and inquiry data
// once. A device that fails its inquiry empties the whole list.
std::vector<DeviceEntry> buildDeviceList(const std::vector<DeviceLayer*>& layers);

}  // namespace zrb2x
