#include "spti_layer.h"

#include <algorithm>
#include <cctype>

#include "commands.h"
#include "device_result.h"
#include "inquiry.h"
#include "sense.h"

namespace zrb2x {
namespace {

constexpr uint32_t kSenseLength = 24;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// "\\?\Volume{...}\" becomes the device path "\\.\Volume{...}".
std::string devicePathOfVolume(std::string name) {
  if (name.size() > 2) name[2] = '.';
  if (!name.empty() && name.back() == '\\') name.pop_back();
  return name;
}

// Devices without an address (length 0) sort last.
bool addressOrder(const std::unique_ptr<SptiLink>& a, const std::unique_ptr<SptiLink>& b) {
  const os::ScsiAddress &x = a->address, &y = b->address;
  if (x.length != y.length) return x.length > y.length;
  if (x.port != y.port) return x.port < y.port;
  if (x.path != y.path) return x.path < y.path;
  if (x.target != y.target) return x.target < y.target;
  return x.lun < y.lun;
}

}  // namespace

uint32_t sendPassThrough(os::SptiSystem& system, os::Handle device, const os::ScsiAddress& address,
                         const uint8_t* cdb, uint32_t cdbLength, Direction direction, void* data,
                         uint32_t count) {
  uint8_t sense[kSenseLength];
  os::PassThroughRequest request;
  request.path = address.path;
  request.target = address.target;
  request.lun = address.lun;
  request.cdb = cdb;
  request.cdbLength = static_cast<uint8_t>(cdbLength);
  request.direction = direction;
  request.data = data;
  request.count = count;
  request.sense = sense;
  uint8_t scsiStatus = 0;
  uint32_t transferred = 0;
  request.scsiStatus = &scsiStatus;
  request.transferred = &transferred;
  for (uint32_t repeat = 0;; ++repeat) {
    std::fill(std::begin(sense), std::end(sense), 0);
    scsiStatus = 0xFF;
    transferred = 0;
    uint32_t error = 0;
    if (system.passThrough(device, request, &error)) {
      if (const uint32_t fromSense = resultFromSense(sense)) return fromSense;
      // Busy, a reservation conflict, a check condition without sense data or
      // a data phase cut short did not do what was asked.
      if (scsiStatus != os::kScsiStatusGood || transferred != count) return result::kHardwareError;
      return result::kOk;
    }
    if (error != os::kErrorGenFailure || repeat == kGeneralFailureRepeats) return result::kHardwareError;
    system.sleep(100);
  }
}

SptiLink::SptiLink(SptiLayer& layer, uint32_t position) : layer_(layer), position_(position) {}

SptiLink::~SptiLink() { closeHandle(); }

void SptiLink::closeHandle() {
  if (handle_) layer_.system().closeHandle(handle_);
  handle_ = 0;
  locked_ = false;
}

bool SptiLink::openIfClosed() {
  if (!handle_) handle_ = layer_.system().openDevice(path);
  return handle_ != 0;
}

uint32_t SptiLink::execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) {
  os::SptiSystem& system = layer_.system();
  MutexHold hold(system, mutex, kSptiMutexWaitMs);
  if (!hold.held()) return result::kAborted;
  if (!openIfClosed()) return result::kHardwareError;
  const uint32_t r = sendPassThrough(system, handle_, address, cdb_, cdbLength, direction, data, count);
  if (!locked_) closeHandle();
  return r;
}

bool SptiLink::acquire() {
  if (locked_) return true;
  if (!openIfClosed()) return false;
  os::SptiSystem& system = layer_.system();
  for (uint32_t waited = 0;; waited += kVolumeLockStepMs) {
    if (system.lockVolume(handle_)) {
      locked_ = true;
      return true;
    }
    if (waited >= kVolumeLockTryMs) break;
    system.sleep(kVolumeLockStepMs);
  }
  closeHandle();
  return false;
}

bool SptiLink::release() {
  bool ok = true;
  if (locked_) ok = layer_.system().unlockVolume(handle_);
  closeHandle();
  return ok;
}

bool SptiLink::load() {
  const bool wasOpen = handle_ != 0;
  if (!openIfClosed()) return false;
  const bool ok = layer_.system().loadMedia(handle_);
  if (!wasOpen) closeHandle();
  return ok;
}

bool SptiLink::eject() {
  const bool wasOpen = handle_ != 0;
  if (!openIfClosed()) return false;
  os::SptiSystem& system = layer_.system();
  const bool lockedHere = !locked_ && system.lockVolume(handle_);
  const bool ok = (locked_ || lockedHere) && system.dismountVolume(handle_) && system.ejectMedia(handle_);
  if (lockedHere) system.unlockVolume(handle_);
  if (!wasOpen) closeHandle();
  return ok;
}

bool SptiLink::queryDriveLetter(uint32_t* value) {
  *value = static_cast<uint8_t>(driveLetter);
  return true;
}

bool SptiLink::queryDiscoveryPosition(uint32_t* value) {
  *value = position_;
  return true;
}

SptiLayer::SptiLayer(os::SptiSystem& system, std::string family)
    : system_(system), family_(std::move(family)), mutexes_(system) {}

SptiLayer::~SptiLayer() { close(); }

bool SptiLayer::open() {
  return mutexes_.create("mutexSptiIo/%s/Device%u", family_.c_str(), kMaxSptiDevices, false);
}

void SptiLayer::close() {
  closeDevices();
  mutexes_.close();
}

void SptiLayer::closeDevices() { links_.clear(); }

void SptiLayer::tryDevice(const std::string& path, char letter, const std::string& volumeName,
                          uint32_t limit) {
  if (links_.size() >= std::min(limit, kMaxSptiDevices)) return;
  const os::Handle handle = system_.openDevice(path);
  if (!handle) return;
  uint8_t cdb[6] = {0x12, 0, 0, 0, cmd::kInquiryLength, 0};
  uint8_t inquiry[cmd::kInquiryLength] = {};
  const bool isReader = sendPassThrough(system_, handle, os::ScsiAddress{}, cdb, 6, Direction::In, inquiry,
                                        cmd::kInquiryLength) == 0 &&
                        isFamilyReader(inquiry);
  os::ScsiAddress address;
  if (isReader) address = system_.scsiAddress(handle);
  system_.closeHandle(handle);
  if (!isReader) return;
  auto link = std::make_unique<SptiLink>(*this, static_cast<uint32_t>(links_.size()));
  link->path = path;
  link->driveLetter = letter;
  link->volumeName = volumeName;
  link->address = address;
  links_.push_back(std::move(link));
}

uint32_t SptiLayer::scan(uint32_t limit) {
  closeDevices();
  // Fresh mutexes for the new list, as at open; without all of them no device.
  if (!mutexes_.create("mutexSptiIo/%s/Device%u", family_.c_str(), kMaxSptiDevices, false)) return 0;
  const uint32_t drives = system_.logicalDrives();
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (!(drives & (1u << (letter - 'A'))) || !system_.isRemovableDrive(letter)) continue;
    const std::string path = std::string("\\\\.\\") + letter + ":";
    tryDevice(path, letter, system_.volumeNameOfDrive(letter), limit);
  }
  for (const std::string& volume : system_.volumeNames()) {
    const bool known = std::any_of(links_.begin(), links_.end(), [&](const auto& link) {
      return sameIgnoringCase(link->volumeName, volume);
    });
    if (!known) tryDevice(devicePathOfVolume(volume), 0, volume, limit);
  }
  std::stable_sort(links_.begin(), links_.end(), addressOrder);
  for (uint32_t i = 0; i < links_.size(); ++i) links_[i]->mutex = mutexes_[i];
  return static_cast<uint32_t>(links_.size());
}

DeviceLink* SptiLayer::link(uint32_t index) { return index < links_.size() ? links_[index].get() : nullptr; }

}  // namespace zrb2x
