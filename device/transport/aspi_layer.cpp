#include "aspi_layer.h"

#include <algorithm>
#include <cstring>

#include "commands.h"
#include "device_result.h"
#include "inquiry.h"
#include "sense.h"

namespace zrb2x {
namespace {

constexpr uint8_t kMaxTargets = 16, kMaxLuns = 8;

std::optional<uint32_t> decimal(const std::optional<std::string>& text) {
  if (!text || text->empty() || text->size() > 9) return std::nullopt;
  uint32_t value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

// Registry strings go into space-padded fields, as inquiry data has them.
void putField(uint8_t* record, size_t offset, size_t width, const std::optional<std::string>& text) {
  std::memset(record + offset, ' ', width);
  if (text) std::memcpy(record + offset, text->data(), std::min(width, text->size()));
}

}  // namespace

uint32_t runAspiCommand(os::AspiSystem& system, os::AspiCommand& command) {
  std::memset(command.sense, 0, sizeof command.sense);
  uint8_t status = system.submit(command);
  if (status == os::kAspiPending) {
    if (!system.waitForCompletion(command, kAspiWaitMs)) {
      system.abort(command);
      return result::kHardwareError;
    }
    status = command.status;
  }
  const uint32_t fromSense = resultFromSense(command.sense);
  // A request that failed without sense data did not succeed.
  if (status != os::kAspiComplete && fromSense == 0) return result::kHardwareError;
  return fromSense;
}

char aspiDriveLetter(os::AspiSystem& system, uint8_t target, uint8_t lun) {
  for (const std::string& entry : system.configManagerEntries()) {
    const auto hardwareKey = system.configManagerValue(entry, "HardWareKey");
    if (!hardwareKey) continue;
    if (decimal(system.enumValue(*hardwareKey, "SCSITargetID")) != target) continue;
    if (decimal(system.enumValue(*hardwareKey, "SCSILUN")) != lun) continue;
    uint8_t inquiry[cmd::kInquiryLength] = {};
    putField(inquiry, 8, 8, system.enumValue(*hardwareKey, "Manufacturer"));
    putField(inquiry, 16, 16, system.enumValue(*hardwareKey, "ProductId"));
    putField(inquiry, 32, 4, system.enumValue(*hardwareKey, "RevisionLevel"));
    if (!isFamilyReader(inquiry)) continue;
    const auto letter = system.enumValue(*hardwareKey, "CurrentDriveLetterAssignment");
    return letter && !letter->empty() ? (*letter)[0] : 0;
  }
  return 0;
}

AspiLink::AspiLink(AspiLayer& layer, uint32_t index, uint8_t adapter, uint8_t target, uint8_t lun,
                   char letter)
    : layer_(layer), index_(index), adapter_(adapter), target_(target), lun_(lun), driveLetter_(letter) {}

uint32_t AspiLink::execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) {
  os::AspiSystem& system = layer_.system();
  os::AspiCommand command;
  command.slot = index_;
  command.adapter = adapter_;
  command.target = target_;
  command.lun = lun_;
  command.direction = direction;
  command.cdb = cdb_;
  command.cdbLength = static_cast<uint8_t>(std::min(cdbLength, kCdbCapacity));
  command.data = data;
  command.count = count;
  MutexHold hold(system, layer_.mutex(index_), kAspiWaitMs);
  if (!hold.held()) return result::kAborted;
  return runAspiCommand(system, command);
}

bool AspiLink::load() { return cmd::loadMedium(*this, lun_) == 0; }

// The drive number of the block-device control is the letter − 64 (A: = 1).
bool AspiLink::blockControl(os::BlockControl what, bool withoutLetter) {
  if (!driveLetter_) return withoutLetter;
  return layer_.system().blockDeviceControl(static_cast<uint8_t>(driveLetter_ - 64), what);
}

bool AspiLink::eject() { return blockControl(os::BlockControl::Eject, false); }
bool AspiLink::acquire() { return blockControl(os::BlockControl::Lock, true); }
bool AspiLink::release() { return blockControl(os::BlockControl::Unlock, true); }

bool AspiLink::queryDriveLetter(uint32_t* value) {
  *value = static_cast<uint8_t>(driveLetter_);
  return true;
}

std::string AspiLink::identity() const {
  return "aspi:" + std::to_string(adapter_) + ":" + std::to_string(target_) + ":" + std::to_string(lun_);
}

bool AspiLink::queryDiscoveryPosition(uint32_t* value) {
  *value = index_;
  return true;
}

AspiLayer::AspiLayer(os::AspiSystem& system, std::string family)
    : system_(system), family_(std::move(family)), mutexes_(system) {}

AspiLayer::~AspiLayer() { close(); }

bool AspiLayer::open() {
  if (!loaded_) loaded_ = system_.loadManager();
  return loaded_;
}

void AspiLayer::close() {
  links_.clear();
  mutexes_.close();
  if (loaded_) system_.unloadManager();
  loaded_ = false;
}

uint32_t AspiLayer::scan(uint32_t limit) {
  links_.clear();
  if (!loaded_ || !mutexes_.create("mutexAspiIo/%s/Device%u", family_.c_str(), kMaxAspiDevices, true))
    return 0;
  const uint32_t info = system_.supportInfo();
  if (((info >> 8) & 0xFF) != os::kAspiComplete) return 0;
  const uint32_t wanted = std::min(limit, kMaxAspiDevices);
  const uint8_t adapters = static_cast<uint8_t>(info & 0xFF);
  for (uint8_t adapter = 0; adapter < adapters && links_.size() < wanted; ++adapter) {
    if (!system_.adapterAnswers(adapter)) continue;
    for (uint8_t target = 0; target < kMaxTargets && links_.size() < wanted; ++target)
      for (uint8_t lun = 0; lun < kMaxLuns && links_.size() < wanted; ++lun) {
        const uint8_t cdb[6] = {0x12, static_cast<uint8_t>(lun << 5), 0, 0, cmd::kInquiryLength, 0};
        uint8_t inquiry[cmd::kInquiryLength] = {};
        os::AspiCommand probe;
        probe.slot = static_cast<uint32_t>(links_.size());
        probe.adapter = adapter;
        probe.target = target;
        probe.lun = lun;
        probe.direction = Direction::In;
        probe.cdb = cdb;
        probe.cdbLength = 6;
        probe.data = inquiry;
        probe.count = cmd::kInquiryLength;
        if (runAspiCommand(system_, probe) != 0 || !isFamilyReader(inquiry)) continue;
        const auto index = static_cast<uint32_t>(links_.size());
        links_.push_back(std::make_unique<AspiLink>(*this, index, adapter, target, lun,
                                                    aspiDriveLetter(system_, target, lun)));
      }
  }
  return static_cast<uint32_t>(links_.size());
}

DeviceLink* AspiLayer::link(uint32_t index) { return index < links_.size() ? links_[index].get() : nullptr; }

}  // namespace zrb2x
