// The card status word: bits 0x01 and 0x02 battery (set = good), 0x04 write
// protect, 0x08 the card's ready signal, 0x100 and 0x200 card detect.
#pragma once

#include <cstdint>

namespace zrb2x {

struct DeviceEntry;

namespace status_bit {
constexpr uint32_t kBattery1 = 0x01, kBattery2 = 0x02, kWriteProtect = 0x04, kReady = 0x08;
constexpr uint32_t kDetect1 = 0x100, kDetect2 = 0x200;
}  // namespace status_bit

// Reads the status and keeps it as the device's last good status; an answer
// of "no card" or "unit attention" (sense key 2 or 6) is a good status and
// gives 0 like success. A device
// busy with another process's command (mutex not obtained) answers with the
// kept status instead, so a status poll never shows a failure for that.
uint32_t readCardStatus(DeviceEntry& entry, uint32_t* status);

}  // namespace zrb2x
