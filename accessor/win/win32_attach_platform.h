// What attaching the accessor module needs from Win32: its own version
// resource, the system family, and the two device bindings.
#pragma once

#include <windows.h>

#include "attach.h"

namespace accessor {

class Win32AttachPlatform final : public AttachPlatform {
 public:
  explicit Win32AttachPlatform(HMODULE module) : module_(module) {}
  std::optional<std::string> ownFileVersion() override;
  bool ntFamily() override;
  std::unique_ptr<zrb2x::DeviceOperations> serviceBinding() override;
  std::unique_ptr<zrb2x::DeviceOperations> inProcessBinding() override;

 private:
  HMODULE module_;
};

}  // namespace accessor
