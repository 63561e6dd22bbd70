// How the accessor reads the device results of the reader-writer: a sense key
// of 2 (not ready) or 6 (unit attention) in the low byte means the slot has no
// card, or has just had its card changed; anything else non-zero is a failure.
#pragma once

#include <cstdint>

#include "card_service.h"

namespace accessor {

constexpr uint32_t kSenseNotReady = 2, kSenseUnitAttention = 6;

constexpr bool noCard(uint32_t deviceResult) {
  const uint32_t senseKey = deviceResult & 0xFF;
  return senseKey == kSenseNotReady || senseKey == kSenseUnitAttention;
}

// Result of a region table read or write.
constexpr int32_t tableResult(uint32_t deviceResult) {
  if (deviceResult == 0) return cardservice::CS_OK;
  return noCard(deviceResult) ? cardservice::CS_NO_CARD : cardservice::CS_DEVICE_FAILURE;
}

}  // namespace accessor
