// The reader-writer's own USB driver: a command block through the device
// interface, the data phase on a pipe, a 2-byte status from the status pipe.
// Handles are opened and closed around every command.
#pragma once

#include <memory>
#include <vector>

#include "device_layer.h"
#include "device_mutexes.h"
#include "usb_driver_system.h"

namespace zrb2x {

constexpr uint32_t kMaxUsbDevices = 32;
constexpr uint32_t kUsbMutexWaitMs = 32000;
constexpr uint32_t kUsbSubmitCommand = 0x220010;
constexpr uint32_t kUsbAbortPipe = 0x220024;
constexpr uint32_t kUsbResetPipe = 0x220008;
constexpr uint32_t kMaxInterfacePath = 512;
// A device that reports a card change on every try is given up after this
// many repeats instead of holding the caller for ever.
constexpr uint32_t kCardChangeRepeats = 16;

class UsbDriverLayer;

class UsbDriverLink : public DeviceLink {
 public:
  UsbDriverLink(UsbDriverLayer& layer, uint32_t index, std::string interfacePath)
      : layer_(layer), index_(index), interfacePath_(std::move(interfacePath)) {}

  uint8_t* cdbBuffer() override { return block_ + 16; }
  uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) override;
  bool load() override;
  bool eject() override;
  bool acquire() override { return true; }
  bool release() override { return true; }
  bool queryDriveLetter(uint32_t* value) override;
  bool queryDiscoveryPosition(uint32_t* value) override;
  std::string identity() const override { return interfacePath_; }

 private:
  bool startStop(uint32_t (*command)(DeviceLink&));
  UsbDriverLayer& layer_;
  uint32_t index_;
  std::string interfacePath_;              // as found by the scan
  uint8_t block_[16 + kCdbCapacity] = {};  // command-block prefix, then the CDB
};

class UsbDriverLayer : public DeviceLayer {
 public:
  explicit UsbDriverLayer(os::UsbDriverSystem& system);
  ~UsbDriverLayer() override;

  bool open() override;
  void close() override;
  uint32_t scan(uint32_t limit) override;
  DeviceLink* link(uint32_t index) override;

  os::UsbDriverSystem& system() { return system_; }
  os::Handle mutex(uint32_t index) const { return mutexes_[index]; }

 private:
  os::UsbDriverSystem& system_;
  DeviceMutexes mutexes_;
  std::vector<std::unique_ptr<UsbDriverLink>> links_;
};

// The 16-byte prefix the driver expects before the CDB.
void fillUsbCommandPrefix(uint8_t* prefix16);

}  // namespace zrb2x
