// Device results: 0 for success, else the sense data folded as
// (additional sense code << 24) | (qualifier << 16) | sense key, so the low
// byte is the sense key. Callers treat a sense key of 2 or 6 as "no card".
#pragma once

#include <cstdint>

namespace zrb2x {

constexpr uint32_t deviceResult(uint8_t senseKey, uint8_t asc = 0, uint8_t ascq = 0) {
  return (uint32_t{asc} << 24) | (uint32_t{ascq} << 16) | senseKey;
}

constexpr uint8_t senseKeyOf(uint32_t result) { return static_cast<uint8_t>(result & 0xFF); }

namespace result {
constexpr uint32_t kOk = 0;
constexpr uint32_t kNotReady = 0x00000002;        // no card; USB driver: command not submitted
constexpr uint32_t kHardwareError = 0x00000004;   // the transport gave up
constexpr uint32_t kIllegalRequest = 0x00000005;  // no such device, no CDB buffer
constexpr uint32_t kUnitAttention = 0x00000006;
constexpr uint32_t kAborted = 0x0000000B;           // the device's mutex was not obtained in time
constexpr uint32_t kInvalidField = 0x24000005;      // a required buffer pointer was null
constexpr uint32_t kCardChanged = 0x28000006;       // not-ready-to-ready change: repeated once
constexpr uint32_t kCardChangedNoKey = 0x28000000;  // the same, as the USB driver reports it
constexpr uint32_t kStatusUnreadable = 0x00000100;  // USB driver: request sense follows
// Sense data the virtual reader-writer answers with, as a real one would.
constexpr uint32_t kInvalidOpcode = 0x20000005;
constexpr uint32_t kAddressOutOfRange = 0x21000005;
constexpr uint32_t kMediumNotPresent = 0x3A000002;
constexpr uint32_t kWriteProtected = 0x27000007;
constexpr uint32_t kInternalFailure = 0x44000004;
}  // namespace result

// "No card": a sense key of 2 (not ready) or 6 (unit attention) means the
// slot has no card, or has just had its card changed; any other non-zero
// result is a failure. Every layer that classifies results asks this.
constexpr bool meansNoCard(uint32_t r) { return senseKeyOf(r) == 2 || senseKeyOf(r) == 6; }

// A status command answered with "no card" or "unit attention" still carries a
// valid status word.
constexpr bool isValidStatusResult(uint32_t r) { return r == result::kOk || meansNoCard(r); }

}  // namespace zrb2x
