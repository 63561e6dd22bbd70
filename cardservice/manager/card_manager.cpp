#include "card_manager.h"

#include <algorithm>
#include <cstring>

#include "legacy_device_types.h"

namespace cardservice {
namespace {

// Stands in for the VESKCI entry of a module that is not loaded.
int32_t CS_STDCALL notLoadedEntry(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*) {
  return CS_NOT_SUPPORTED;
}

constexpr uint32_t kLegacyDeviceRecordSize = sizeof(LegacyDeviceRecord);

}  // namespace

CardManager::CardManager(ModuleHost& host, const VersionNumbers& version,
                         std::span<const ModuleListRow> modules)
    : host_(host), version_(version) {
  moduleCount_ = std::min(modules.size(), kMaxModules);
  for (size_t i = 0; i < moduleCount_; ++i) {
    modules_[i].entry = notLoadedEntry;
    modules_[i].fileName = modules[i].fileName;
    modules_[i].category = modules[i].category;
  }
}

CardManager::~CardManager() {
  std::lock_guard lock(loading_);
  if (loaded_) unloadAll();
}

void CardManager::releaseModule(ModuleSlot& slot) {
  if (slot.handle) host_.close(slot.handle);
  slot.entry = notLoadedEntry;
  slot.handle = nullptr;
  slot.socketCount = 0;
}

void CardManager::loadModule(ModuleSlot& slot) {
  OpenedModule opened = host_.open(slot.fileName);
  slot.handle = opened.handle;
  if (!opened.handle) return releaseModule(slot);

  const VersionNumbers moduleVersion = parseVersionString(opened.fileVersion);
  if (opened.fileVersion.empty() || moduleVersion.count < 1) return releaseModule(slot);

  if (!opened.entry) return releaseModule(slot);
  const int32_t sockets = opened.entry(FN_INFO, 0, 0, 0, 0, nullptr);
  if (sockets < 1) return releaseModule(slot);

  if (moduleVersion.number[0] != version_.number[0] || moduleVersion.number[1] != version_.number[1]) {
    // Told after the loading lock is released: the message box runs a message
    // loop, from which the caller may call the manager again on this thread.
    if (pendingReportCount_ < pendingReports_.size())
      pendingReports_[pendingReportCount_++] = VersionReport{slot.fileName, moduleVersion};
    return releaseModule(slot);
  }
  slot.entry = opened.entry;
  slot.socketCount = static_cast<uint32_t>(sockets);
}

void CardManager::unloadAll() {
  for (size_t i = 0; i < moduleCount_; ++i)
    if (modules_[i].handle) releaseModule(modules_[i]);
  total_ = 0;
  categoryCount_.fill(0);
  sockets_.fill(SocketEntry{});
}

void CardManager::loadAll() {
  unloadAll();
  uint64_t total = 0;
  for (size_t i = 0; i < moduleCount_ && total < kMaxGlobalSockets; ++i) {
    loadModule(modules_[i]);
    total += modules_[i].socketCount;
  }
  total_ = static_cast<uint32_t>(std::min<uint64_t>(total, kMaxGlobalSockets));

  uint32_t next = 0;
  for (size_t i = 0; i < moduleCount_ && next < total_; ++i) {
    const ModuleSlot& slot = modules_[i];
    const uint32_t base = next;
    for (uint32_t local = 0; local < slot.socketCount && next < total_; ++local) {
      sockets_[next++] = {&slot, slot.entry, base};
      if (slot.category < kCategoryCount) ++categoryCount_[slot.category];
    }
  }
}

CardManager::LoadState CardManager::manageLoading(uint32_t code) {
  std::array<VersionReport, kMaxModules> reports{};
  size_t reportCount = 0;
  LoadState state;
  {
    std::lock_guard lock(loading_);
    if (code == FN_CLOSE) {
      if (loaded_) {
        unloadAll();
        loaded_ = false;
      }
      return LoadState::Closed;
    }
    if (!loaded_) {
      pendingReportCount_ = 0;
      loadAll();
      loaded_ = total_ >= 1;
      // While a version message is on screen further loads keep quiet: the
      // user is already reading about the refused module.
      if (pendingReportCount_ > 0 && !reporting_) {
        reports = pendingReports_;
        reportCount = pendingReportCount_;
        reporting_ = true;
      }
      pendingReportCount_ = 0;
    }
    state = loaded_ ? LoadState::Loaded : LoadState::NotLoaded;
  }
  if (reportCount > 0) reportVersionMismatches(reports, reportCount);
  return state;
}

void CardManager::reportVersionMismatches(const std::array<VersionReport, kMaxModules>& reports,
                                          size_t count) {
  // Clears the reporting mark however the host's message ends.
  struct ReportingMark {
    CardManager& manager;
    ~ReportingMark() {
      std::lock_guard lock(manager.loading_);
      manager.reporting_ = false;
    }
  } mark{*this};
  for (size_t i = 0; i < count; ++i)
    host_.reportVersionMismatch(reports[i].fileName, reports[i].module, version_.number[0],
                                version_.number[1]);
}

int32_t CardManager::forward(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                             void* data) {
  if (socket >= total_) return CS_BAD_SOCKET;
  const SocketEntry& target = sockets_[socket];
  return target.entry(code, socket - target.base, space, offset, length, data);
}

void CardManager::fillManagerInfo(uint32_t length, void* data) const {
  ManagerInfo info{};
  info.versionMajor = version_.number[0];
  info.versionMinor = version_.number[1];
  info.versionRelease = version_.number[2];
  info.versionBuild = version_.number[3];
  info.socketCount = total_;
  for (uint32_t i = 0; i < total_; ++i) info.socketCategory[i] = sockets_[i].module->category;
  // Never past the caller's length, and never half a field: the header, then
  // as many whole category entries as fit (every field is 4 bytes wide).
  constexpr uint32_t kField = sizeof(uint32_t);
  const uint32_t wanted = kManagerInfoHeaderSize + total_ * kField;
  std::memcpy(data, &info, std::min(length - length % kField, wanted));
}

void CardManager::fillLegacyManagerInfo(uint32_t bufferLength, void* buffer) const {
  LegacyManagerInfo info{};
  info.version = static_cast<uint16_t>((version_.number[0] << 8) | version_.number[1]);
  info.socketCount = static_cast<uint8_t>(total_);
  for (uint32_t category = 0; category < 3; ++category)
    info.categoryCount[category] = static_cast<uint8_t>(categoryCount_[category]);
  std::memcpy(buffer, &info, std::min<uint32_t>(bufferLength, sizeof info));
}

int32_t CardManager::veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                            void* data) {
  const LoadState state = manageLoading(code);
  if (state == LoadState::Closed) return CS_OK;
  if (code == FN_OPEN) return state == LoadState::Loaded ? CS_OK : CS_DEVICE_FAILURE;
  if (code == FN_INFO) {
    if (!data) return CS_BAD_PARAMETER;
    fillManagerInfo(length, data);
    return CS_OK;
  }
  return forward(code, socket, space, offset, length, data);
}

int32_t CardManager::slotHubService(uint32_t code, const SlotRequest* request, uint32_t /*requestLength*/,
                                    void* buffer, uint32_t bufferLength) {
  code &= 0xFFFF;
  const LoadState state = manageLoading(code);
  if (state == LoadState::Closed) return CS_OK;
  if (code == FN_OPEN) return state == LoadState::Loaded ? CS_OK : CS_DEVICE_FAILURE;
  if (code == FN_INFO) {
    if (!buffer) return CS_BAD_PARAMETER;
    fillLegacyManagerInfo(bufferLength, buffer);
    return CS_OK;
  }
  if (!request) return CS_BAD_PARAMETER;
  SlotRequest copy;
  std::memcpy(&copy, request, sizeof copy);  // the caller's record may sit anywhere
  const uint32_t socket = copy.socket;
  if (socket >= total_) return CS_BAD_SOCKET;

  int32_t result;
  if (code == FN_GET_DEVICE) {
    if (!buffer || bufferLength != kLegacyDeviceRecordSize) return CS_BAD_PARAMETER;
    DeviceRecord record{};
    result = forward(code, socket, copy.space, copy.offset, kLegacyDeviceRecordSize, &record);
    if (result == CS_OK) {
      const LegacyDeviceRecord legacy = legacyFromDeviceRecord(record);
      std::memcpy(buffer, &legacy, sizeof legacy);
    }
  } else if (code == FN_SET_DEVICE) {
    if (!buffer || bufferLength != kLegacyDeviceRecordSize) return CS_BAD_PARAMETER;
    LegacyDeviceRecord legacy;
    std::memcpy(&legacy, buffer, sizeof legacy);
    DeviceRecord record = deviceRecordFromLegacy(legacy);
    result = forward(code, socket, copy.space, copy.offset, kLegacyDeviceRecordSize, &record);
  } else {
    result = forward(code, socket, copy.space, copy.offset, bufferLength, buffer);
  }
  return static_cast<int16_t>(result);
}

}  // namespace cardservice
