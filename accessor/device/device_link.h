// One listed reader-writer as its transport reaches it: the operation record's
// transport calls. The command set fills the CDB buffer and executes it; the
// transport serialises each command across processes with the device's mutex
// and maps its own failures to device results.
#pragma once

#include <cstdint>

namespace zrb2x {

enum class Direction : uint32_t { None = 0, In = 1, Out = 2 };

constexpr uint32_t kCdbCapacity = 16;

class DeviceLink {
 public:
  virtual ~DeviceLink() = default;

  // The device's CDB buffer (kCdbCapacity bytes), or null when it has none.
  virtual uint8_t* cdbBuffer() = 0;
  // Runs the CDB in the buffer; returns the device result.
  virtual uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) = 0;

  // System-level calls of the operation record; true on success.
  virtual bool load() = 0;
  virtual bool eject() = 0;
  virtual bool acquire() = 0;
  virtual bool release() = 0;
  // Transport-specific queries (drive letter, discovery position); false when
  // the transport has none.
  virtual bool queryDriveLetter(uint32_t* value) = 0;
  virtual bool queryDiscoveryPosition(uint32_t* value) = 0;
};

}  // namespace zrb2x
