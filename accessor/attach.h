// Attaching the accessor module: its own version check, the choice of the
// device binding by platform, opening the device library and counting the
// reader-writers. The Win32 side supplies the platform through AttachPlatform.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "card_accessor.h"
#include "device_operations.h"

namespace accessor {

class AttachPlatform {
 public:
  virtual ~AttachPlatform() = default;
  // "FileVersion" of the module's own version resource; nullopt when missing.
  virtual std::optional<std::string> ownFileVersion() = 0;
  // NT-family systems reach the devices through the access service only.
  virtual bool ntFamily() = 0;
  virtual std::unique_ptr<zrb2x::DeviceOperations> serviceBinding() = 0;
  virtual std::unique_ptr<zrb2x::DeviceOperations> inProcessBinding() = 0;
};

// The card manager packs major and minor into one byte each of its legacy
// version word, so neither may reach 256.
bool versionAccepted(const std::optional<std::string>& fileVersion);

// The module: its binding and the card functions over it. Constructing it
// allocates the module's buffers (std::bad_alloc when short); open() opens
// the device library and counts the reader-writers; destroying an opened
// module writes back any dirty cached sector and closes the device library.
class AttachedModule {
 public:
  explicit AttachedModule(std::unique_ptr<zrb2x::DeviceOperations> ops);
  ~AttachedModule();
  AttachedModule(const AttachedModule&) = delete;
  AttachedModule& operator=(const AttachedModule&) = delete;

  // False, with the library closed again, when it does not open or finds no reader-writer.
  bool open();

  CardAccessor& cards() { return cards_; }

 private:
  std::unique_ptr<zrb2x::DeviceOperations> ops_;
  CardAccessor cards_;
  bool opened_ = false;
};

// Null when the module must not load: a bad version, no memory, a device
// library that does not open, or no reader-writer at all.
std::unique_ptr<AttachedModule> attachModule(AttachPlatform& platform);

}  // namespace accessor
