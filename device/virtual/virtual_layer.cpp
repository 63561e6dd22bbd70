#include "virtual_layer.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "device_result.h"
#include "reader_files.h"
#include "virtual_command.h"
#include "virtual_config.h"

namespace zrb2x::virt {

VirtualLink::VirtualLink(std::filesystem::path folder)
    : folder_(std::move(folder)), lock_(makeReaderLock(folder_)) {}

VirtualLink::~VirtualLink() = default;

uint32_t VirtualLink::execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) {
  try {
    ReaderLockGuard guard(*lock_, kCommandLockWaitMs);
    if (!guard.held()) return result::kAborted;
    const CommandIo io{cdb_, std::min(cdbLength, kCdbCapacity), direction, static_cast<uint8_t*>(data),
                       count};
    return executeVirtualCommand(folder_, io);
  } catch (...) {  // a file system failure is the device giving up
    return result::kHardwareError;
  }
}

// Stands in for the volume lock of a real drive: tried every 500 ms for as
// long as the reader's description says.
bool VirtualLink::acquire() {
  if (claim_) return true;
  uint32_t waitMs = 8000;
  {
    ReaderLockGuard guard(*lock_, kCommandLockWaitMs);
    if (!guard.held()) return false;
    if (auto state = loadReaderState(folder_)) waitMs = state->lockWaitMs;
  }
  for (uint32_t waited = 0;; waited += 500) {
    claim_ = tryClaimExclusive(folder_);
    if (claim_) return true;
    if (waited >= waitMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
}

bool VirtualLink::release() {
  claim_.reset();
  return true;
}

std::vector<std::filesystem::path> findReaderFolders(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> folders;
  std::error_code error;
  for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (it->is_directory(ignored) &&
        std::filesystem::is_regular_file(it->path() / kDescriptionFile, ignored) &&
        folderStaysInPlace(it->path()))
      folders.push_back(it->path());
  }
  std::sort(folders.begin(), folders.end(),
            [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });
  return folders;
}

VirtualLayer::VirtualLayer() = default;

VirtualLayer::VirtualLayer(std::filesystem::path root) : fixedRoot_(std::move(root)) {}

bool VirtualLayer::open() {
  root_ = fixedRoot_ ? *fixedRoot_ : configuredVirtualFolder();
  std::error_code error;
  return !root_.empty() && std::filesystem::is_directory(root_, error);
}

void VirtualLayer::close() { links_.clear(); }

// A folder whose description does not parse is no reader: listing it would
// fail its inquiry and so hide every other device.
bool describesAReader(const std::filesystem::path& folder) {
  auto lock = makeReaderLock(folder);
  ReaderLockGuard guard(*lock, kCommandLockWaitMs);
  return guard.held() && loadReaderState(folder).has_value();
}

uint32_t VirtualLayer::scan(uint32_t limit) {
  links_.clear();
  for (const auto& folder : findReaderFolders(root_)) {
    if (links_.size() >= limit) break;
    if (describesAReader(folder)) links_.push_back(std::make_unique<VirtualLink>(folder));
  }
  return static_cast<uint32_t>(links_.size());
}

DeviceLink* VirtualLayer::link(uint32_t index) {
  return index < links_.size() ? links_[index].get() : nullptr;
}

}  // namespace zrb2x::virt
