#include "attach.h"

#include <new>

#include "version_string.h"

namespace accessor {

bool versionAccepted(const std::optional<std::string>& fileVersion) {
  if (!fileVersion) return false;
  const cardservice::VersionNumbers version = cardservice::parseVersionString(*fileVersion);
  return version.count >= 1 && version.number[0] < 256 && version.number[1] < 256;
}

AttachedModule::AttachedModule(std::unique_ptr<zrb2x::DeviceOperations> ops)
    : ops_(std::move(ops)), cards_(*ops_, 0) {}

AttachedModule::~AttachedModule() {
  if (!opened_) return;
  // A normal unload: sectors the caller wrote into the cache and never
  // flushed still go to the card (a failure has nobody left to hear of it).
  try {
    (void)cards_.writeBackCachedSectors();
  } catch (...) {
  }
  ops_->CloseLibrary();
}

bool AttachedModule::open() {
  if (!ops_->OpenLibrary()) return false;
  const uint32_t count = ops_->CountDevices();
  if (count == 0) {
    // No reader-writer: the card manager is not to see this module at all.
    ops_->CloseLibrary();
    return false;
  }
  cards_.setSocketCount(count);
  opened_ = true;
  return true;
}

std::unique_ptr<AttachedModule> attachModule(AttachPlatform& platform) {
  if (!versionAccepted(platform.ownFileVersion())) return nullptr;
  std::unique_ptr<zrb2x::DeviceOperations> ops =
      platform.ntFamily() ? platform.serviceBinding() : platform.inProcessBinding();
  if (!ops) return nullptr;
  std::unique_ptr<AttachedModule> module;
  try {
    module = std::make_unique<AttachedModule>(std::move(ops));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!module->open()) return nullptr;
  return module;
}

}  // namespace accessor
