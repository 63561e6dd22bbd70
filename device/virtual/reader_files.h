// The files of one virtual reader-writer's folder.
#pragma once

namespace zrb2x::virt {

constexpr const char* kDescriptionFile = "reader.txt";
constexpr const char* kCommonImageFile = "common.img";  // ATA cards: the sector image
constexpr const char* kAttributeImageFile = "attribute.img";
constexpr const char* kFirmwareFile = "firmware.bin";  // the last downloaded image
constexpr const char* kLockFile = "reader.lock";
constexpr const char* kExclusiveFile = "exclusive.lock";

}  // namespace zrb2x::virt
