// SCSI pass-through on NT-family systems: the family's reader-writers among
// the removable drives and the volumes of the system, sorted by SCSI
// address, each command under the device's named mutex.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device_layer.h"
#include "device_mutexes.h"
#include "spti_system.h"

namespace zrb2x {

constexpr uint32_t kMaxSptiDevices = 32;
constexpr uint32_t kSptiMutexWaitMs = 32000;
constexpr uint32_t kVolumeLockTryMs = 8000;
constexpr uint32_t kVolumeLockStepMs = 500;
// A request that keeps failing with a general failure is given up after this
// many repeats, 100 ms apart, instead of hanging the caller for ever.
constexpr uint32_t kGeneralFailureRepeats = 50;

class SptiLayer;

class SptiLink : public DeviceLink {
 public:
  SptiLink(SptiLayer& layer, uint32_t position);
  ~SptiLink() override;

  uint8_t* cdbBuffer() override { return cdb_; }
  uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) override;
  bool load() override;
  bool eject() override;
  bool acquire() override;
  bool release() override;
  bool queryDriveLetter(uint32_t* value) override;
  bool queryDiscoveryPosition(uint32_t* value) override;
  // The volume when the system named one: a drive letter may come to mean
  // another device.
  std::string identity() const override { return volumeName.empty() ? path : volumeName; }

  // Filled by the scan.
  std::string path;
  char driveLetter = 0;  // 0 for a device reached by volume name
  std::string volumeName;
  os::ScsiAddress address;
  os::Handle mutex = 0;
  void closeHandle();

 private:
  bool openIfClosed();
  SptiLayer& layer_;
  uint32_t position_;  // where discovery found it
  os::Handle handle_ = 0;
  bool locked_ = false;
  uint8_t cdb_[kCdbCapacity] = {};
};

class SptiLayer : public DeviceLayer {
 public:
  SptiLayer(os::SptiSystem& system, std::string family = "ZRB-2x");
  ~SptiLayer() override;

  bool open() override;
  void close() override;
  uint32_t scan(uint32_t limit) override;
  DeviceLink* link(uint32_t index) override;

  os::SptiSystem& system() { return system_; }

 private:
  void tryDevice(const std::string& path, char letter, const std::string& volumeName, uint32_t limit);
  void closeDevices();

  os::SptiSystem& system_;
  std::string family_;
  DeviceMutexes mutexes_;
  std::vector<std::unique_ptr<SptiLink>> links_;
};

// One pass-through request with the repeat rule; the device must be open.
uint32_t sendPassThrough(os::SptiSystem& system, os::Handle device, const os::ScsiAddress& address,
                         const uint8_t* cdb, uint32_t cdbLength, Direction direction, void* data,
                         uint32_t count);

}  // namespace zrb2x
