// Firmware download through write buffer; the method depends on the firmware
// the reader-writer runs now.
#pragma once

#include <cstdint>

#include "device_link.h"

namespace zrb2x {

constexpr uint32_t kRevisionPieceDownload = 0x312E3739;  // "1.79"
constexpr uint32_t kMaxSingleDownload = 0x10000;
constexpr uint32_t kMaxPieceDownload = 0x30000;
constexpr uint32_t kImageLengthOffset = 8200;  // where an image carries its own length

enum class DownloadMethod { SingleCommand, Pieces };

DownloadMethod downloadMethodFor(uint32_t firmwareRevision);
uint32_t downloadFirmware(DeviceLink& link, DownloadMethod method, const void* image, uint32_t count);

}  // namespace zrb2x
