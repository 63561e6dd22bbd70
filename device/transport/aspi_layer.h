// ASPI on Windows 9x: reader-writers found by probing every adapter, target
// and logical unit, with their drive letters from the dynamic registry.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "aspi_system.h"
#include "device_layer.h"
#include "device_mutexes.h"

namespace zrb2x {

constexpr uint32_t kMaxAspiDevices = 26;
constexpr uint32_t kAspiWaitMs = 16000;

class AspiLayer;

class AspiLink : public DeviceLink {
 public:
  AspiLink(AspiLayer& layer, uint32_t index, uint8_t adapter, uint8_t target, uint8_t lun, char driveLetter);

  uint8_t* cdbBuffer() override { return cdb_; }
  uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) override;
  bool load() override;
  bool eject() override;
  bool acquire() override;
  bool release() override;
  bool queryDriveLetter(uint32_t* value) override;
  bool queryDiscoveryPosition(uint32_t* value) override;
  std::string identity() const override;

  char driveLetter() const { return driveLetter_; }

 private:
  bool blockControl(os::BlockControl what, bool withoutLetter);
  AspiLayer& layer_;
  uint32_t index_;
  uint8_t adapter_, target_, lun_;
  char driveLetter_;
  uint8_t cdb_[kCdbCapacity] = {};
};

class AspiLayer : public DeviceLayer {
 public:
  AspiLayer(os::AspiSystem& system, std::string family = "ZRB-2x");
  ~AspiLayer() override;

  bool open() override;
  void close() override;
  uint32_t scan(uint32_t limit) override;
  DeviceLink* link(uint32_t index) override;

  os::AspiSystem& system() { return system_; }
  os::Handle mutex(uint32_t index) const { return mutexes_[index]; }

 private:
  os::AspiSystem& system_;
  std::string family_;
  bool loaded_ = false;
  DeviceMutexes mutexes_;
  std::vector<std::unique_ptr<AspiLink>> links_;
};

// One ASPI execute request: submit, wait for completion, abort on time-out.
uint32_t runAspiCommand(os::AspiSystem& system, os::AspiCommand& command);

// The drive letter of the reader-writer at target/lun from the dynamic
// registry, or 0.
char aspiDriveLetter(os::AspiSystem& system, uint8_t target, uint8_t lun);

}  // namespace zrb2x
