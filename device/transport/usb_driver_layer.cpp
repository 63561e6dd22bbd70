#include "usb_driver_layer.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "big_endian.h"
#include "commands.h"
#include "device_result.h"
#include "sense.h"

namespace zrb2x {
namespace {

enum Pipe { kDataIn = 0, kDataOut = 1, kStatus = 2 };

// The interface and its three pipes, closed when the command ends.
class OpenDevice {
 public:
  explicit OpenDevice(os::UsbDriverSystem& system) : system_(system) {}
  ~OpenDevice() {
    for (os::Handle h : handles_)
      if (h) system_.closeHandle(h);
  }
  OpenDevice(const OpenDevice&) = delete;
  OpenDevice& operator=(const OpenDevice&) = delete;

  bool open(const std::string& path) {
    if (path.empty() || path.size() > kMaxInterfacePath) return false;
    handles_[0] = system_.openFile(path);
    for (int pipe = 0; pipe < 3; ++pipe) {
      char name[kMaxInterfacePath + 32];
      std::snprintf(name, sizeof name, "%s\\if%03dpipe%03d", path.c_str(), 0, pipe);
      handles_[1 + pipe] = system_.openFile(name);
    }
    for (os::Handle h : handles_)
      if (!h) return false;
    return true;
  }
  os::Handle device() const { return handles_[0]; }
  os::Handle pipe(Pipe p) const { return handles_[1 + p]; }

 private:
  os::UsbDriverSystem& system_;
  std::array<os::Handle, 4> handles_{};
};

uint32_t runOnce(os::UsbDriverSystem& system, const OpenDevice& device, const uint8_t* block,
                 uint32_t cdbLength, Direction direction, void* data, uint32_t count);

// After a failed data phase the device keeps the command's sense.
uint32_t senseAfterFailure(os::UsbDriverSystem& system, const OpenDevice& device) {
  uint8_t block[16 + kCdbCapacity] = {};
  fillUsbCommandPrefix(block);
  const uint8_t requestSense[6] = {0x03, 0, 0, 0, cmd::kSenseLength, 0};
  std::memcpy(block + 16, requestSense, sizeof requestSense);
  uint8_t sense[cmd::kSenseLength] = {};
  const uint32_t r = runOnce(system, device, block, 6, Direction::In, sense, cmd::kSenseLength);
  if (r) return r;
  // The data phase failed: a sense answer without an error does not make
  // the command a success (its data never arrived whole).
  const uint32_t fromSense = resultFromSense(sense);
  return fromSense ? fromSense : result::kHardwareError;
}

void resetPipe(os::UsbDriverSystem& system, os::Handle pipe) {
  system.deviceControl(pipe, kUsbAbortPipe, nullptr, 0);
  system.deviceControl(pipe, kUsbResetPipe, nullptr, 0);
}

uint32_t runOnce(os::UsbDriverSystem& system, const OpenDevice& device, const uint8_t* block,
                 uint32_t cdbLength, Direction direction, void* data, uint32_t count) {
  if (system.deviceControl(device.device(), kUsbSubmitCommand, block, cdbLength + 16) != 0)
    return result::kNotReady;
  if (direction != Direction::None && count) {
    const Pipe pipe = direction == Direction::In ? kDataIn : kDataOut;
    const uint32_t error = direction == Direction::In ? system.readFile(device.pipe(pipe), data, count)
                                                      : system.writeFile(device.pipe(pipe), data, count);
    if (error && error != os::kErrorCrc) {
      resetPipe(system, device.pipe(pipe));
      // Request sense itself never recurses further: its own data phase
      // failing gives its result directly.
      if (block[16] == 0x03) return result::kStatusUnreadable;
      return senseAfterFailure(system, device);
    }
  }
  uint8_t status[2] = {};
  const uint32_t error = system.readFile(device.pipe(kStatus), status, sizeof status);
  if (error) {
    if (error != os::kErrorCrc) resetPipe(system, device.pipe(kStatus));
    return result::kNotReady;
  }
  return (uint32_t{status[0]} << 24) | (uint32_t{status[1]} << 16);
}

}  // namespace

void fillUsbCommandPrefix(uint8_t* prefix) {
  std::memset(prefix, 0, 16);
  putLittle16(prefix, 27);
  putLittle32(prefix + 4, 2);
  putLittle16(prefix + 12, 1);
}

uint32_t UsbDriverLink::execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) {
  os::UsbDriverSystem& system = layer_.system();
  MutexHold hold(system, layer_.mutex(index_), kUsbMutexWaitMs);
  if (!hold.held()) return result::kAborted;
  OpenDevice device(system);
  if (!device.open(system.interfacePath(index_))) return result::kIllegalRequest;
  fillUsbCommandPrefix(block_);
  const uint32_t length = std::min(cdbLength, kCdbCapacity);
  uint32_t r = 0;
  for (uint32_t attempt = 0; attempt <= kCardChangeRepeats; ++attempt) {
    r = runOnce(system, device, block_, length, direction, data, count);
    if (r != result::kCardChanged && r != result::kCardChangedNoKey) break;
  }
  return r;
}

bool UsbDriverLink::startStop(uint32_t (*command)(DeviceLink&)) {
  const uint32_t r = command(*this);
  if (r == 0) return true;
  const uint8_t key = senseKeyOf(r);
  layer_.system().setLastError(key == 2 || key == 6 ? os::kErrorNotReady : os::kErrorGenFailure);
  return false;
}

bool UsbDriverLink::load() {
  return startStop([](DeviceLink& link) { return cmd::loadMedium(link, 0); });
}

bool UsbDriverLink::eject() { return startStop(cmd::ejectMedium); }

bool UsbDriverLink::queryDriveLetter(uint32_t*) {
  layer_.system().setLastError(os::kErrorNotSupported);
  return false;
}

bool UsbDriverLink::queryDiscoveryPosition(uint32_t*) {
  layer_.system().setLastError(os::kErrorNotSupported);
  return false;
}

UsbDriverLayer::UsbDriverLayer(os::UsbDriverSystem& system) : system_(system), mutexes_(system) {}

UsbDriverLayer::~UsbDriverLayer() { close(); }

bool UsbDriverLayer::open() {
  return !mutexes_.empty() || mutexes_.create("OrvuIo/mutex/device/%02u", nullptr, kMaxUsbDevices, false);
}

void UsbDriverLayer::close() {
  links_.clear();
  mutexes_.close();
}

uint32_t UsbDriverLayer::scan(uint32_t limit) {
  links_.clear();
  if (mutexes_.empty()) return 0;
  const uint32_t count = system_.countInterfaces(std::min(limit, kMaxUsbDevices));
  for (uint32_t i = 0; i < count && i < limit && i < kMaxUsbDevices; ++i)
    links_.push_back(std::make_unique<UsbDriverLink>(*this, i, system_.interfacePath(i)));
  return static_cast<uint32_t>(links_.size());
}

DeviceLink* UsbDriverLayer::link(uint32_t index) {
  return index < links_.size() ? links_[index].get() : nullptr;
}

}  // namespace zrb2x
