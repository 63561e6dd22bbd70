// Carries out one checked request on the device backend and keeps the state
// the pipe thread shares with nobody but the device-change window: the device
// count and the pending re-enumeration flag.
#pragma once

#include <atomic>
#include <cstdint>

#include "pipe_protocol.h"
#include "service_backend.h"

namespace zrb2x::service {

class RequestDispatcher {
 public:
  explicit RequestDispatcher(ServiceBackend& backend) : backend_(backend) {}

  // The device-change window's only effect; any thread.
  void noteDeviceChange() { reenumerationPending_.exchange(1); }
  // Pipe thread: rebuild the device table when a change is pending.
  void reenumerateIfPending();
  // Pipe thread: clear the flag and build the device table now.
  void enumerate();
  uint32_t deviceCount() const { return deviceCount_; }

  // `block` is the data block of the exchange (`blockSize` bytes, the
  // announced 32-bit size; null when no block flows). Reads fill it, writes
  // take their data from it.
  pipe::ServiceReply dispatch(const pipe::ServiceRequest& request, uint8_t* block, uint32_t blockSize);

 private:
  ServiceBackend& backend_;
  std::atomic<uint32_t> reenumerationPending_{0};
  uint32_t deviceCount_ = 0;
};

}  // namespace zrb2x::service
