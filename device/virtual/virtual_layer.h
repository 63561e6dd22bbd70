// The virtual reader-writers as a transport layer: each subfolder of the
// configured folder that holds a reader.txt is one device, in name order.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "device_layer.h"
#include "os_files.h"

namespace zrb2x::virt {

constexpr uint32_t kCommandLockWaitMs = 32000;

class VirtualLink : public DeviceLink {
 public:
  explicit VirtualLink(std::filesystem::path folder);
  ~VirtualLink() override;

  uint8_t* cdbBuffer() override { return cdb_; }
  uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) override;
  bool load() override { return true; }
  bool eject() override { return true; }  // a PC Card slot ejects by hand
  bool acquire() override;
  bool release() override;
  // A virtual reader has neither a drive nor a discovery position; the
  // failure says so as the last error, not whatever an earlier call left.
  bool queryDriveLetter(uint32_t*) override { return unsupported(); }
  bool queryDiscoveryPosition(uint32_t*) override { return unsupported(); }
  std::string identity() const override { return folder_.string(); }

  const std::filesystem::path& folder() const { return folder_; }

 private:
  static bool unsupported() {
    setLastSystemError(kErrorNotSupported);
    return false;
  }
  std::filesystem::path folder_;
  std::unique_ptr<ReaderLock> lock_;
  std::unique_ptr<ExclusiveClaim> claim_;
  uint8_t cdb_[kCdbCapacity] = {};
};

class VirtualLayer : public DeviceLayer {
 public:
  VirtualLayer();  // the configured folder, looked up at every open
  explicit VirtualLayer(std::filesystem::path root);

  bool open() override;
  void close() override;
  uint32_t scan(uint32_t limit) override;
  DeviceLink* link(uint32_t index) override;

 private:
  std::optional<std::filesystem::path> fixedRoot_;
  std::filesystem::path root_;
  std::vector<std::unique_ptr<VirtualLink>> links_;
};

// Reader folders under root, in name order.
std::vector<std::filesystem::path> findReaderFolders(const std::filesystem::path& root);

}  // namespace zrb2x::virt
