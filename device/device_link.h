// One listed reader-writer as its transport reaches it: the operation record's
// transport calls. The command set fills the CDB buffer and executes it; the
// transport serialises each command across processes with the device's mutex
// and maps its own failures to device results.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

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

  // Fills the buffer with `cdb` and runs it, the two as one step: the buffer
  // is the device's, so two threads on one device would otherwise send each
  // other's commands. 5 (illegal request) when the device has no buffer.
  uint32_t run(const uint8_t* cdb, uint32_t cdbLength, Direction direction, void* data, uint32_t count);

  // System-level calls of the operation record; true on success.
  virtual bool load() = 0;
  virtual bool eject() = 0;
  virtual bool acquire() = 0;
  virtual bool release() = 0;
  // Transport-specific queries (drive letter, discovery position); false when
  // the transport has none.
  virtual bool queryDriveLetter(uint32_t* value) = 0;
  virtual bool queryDiscoveryPosition(uint32_t* value) = 0;
  // What names this device from one scan to the next (its folder, drive or
  // volume, driver interface, or SCSI address), so that a user of the list
  // can keep its number for it.
  virtual std::string identity() const = 0;

 private:
  std::mutex commandLock_;
};

}  // namespace zrb2x
