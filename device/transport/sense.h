// Fixed-format sense data folded into a device result.
#pragma once

#include <cstdint>

#include "device_result.h"

namespace zrb2x {

inline uint32_t resultFromSense(const uint8_t* sense) {
  return deviceResult(sense[2] & 0x0F, sense[12], sense[13]);
}

}  // namespace zrb2x
