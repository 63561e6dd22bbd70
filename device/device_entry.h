// One listed reader-writer: its operation record and what the library keeps
// of it between commands. Its own header, so that the list (which reads each
// device's first status) and the status poll (which keeps the last good
// status word here) depend on it and not on each other.
#pragma once

#include <cstdint>

#include "device_link.h"
#include "firmware_download.h"

namespace zrb2x {

struct DeviceEntry {
  DeviceLink* link = nullptr;
  uint32_t lastStatus = 0;        // last good card status word
  uint32_t firmwareRevision = 0;  // inquiry revision, big-endian
  DownloadMethod downloadMethod = DownloadMethod::SingleCommand;
  uint32_t index = 0;  // within its transport
};

}  // namespace zrb2x
