// The device list: every listed reader-writer with its operation record, in
// list order (SCSI layer, USB driver, virtual), at most 64.
#pragma once

#include <cstdint>
#include <vector>

#include "device_layer.h"
#include "firmware_download.h"

namespace zrb2x {

constexpr uint32_t kMaxDevices = 64;

struct DeviceEntry {
  DeviceLink* link = nullptr;
  uint32_t lastStatus = 0;        // last good card status word
  uint32_t firmwareRevision = 0;  // inquiry revision, big-endian
  DownloadMethod downloadMethod = DownloadMethod::SingleCommand;
  uint32_t index = 0;  // within its transport
};

// Scans the layers in order and reads each device's status and inquiry data
// once. A device that fails its inquiry empties the whole list.
std::vector<DeviceEntry> buildDeviceList(const std::vector<DeviceLayer*>& layers);

}  // namespace zrb2x
