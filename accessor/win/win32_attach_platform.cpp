#include "win32_attach_platform.h"

#include "in_process_devices.h"
#include "win32_pipe_transport.h"
#include "win32_version_resource.h"

namespace accessor {

std::optional<std::string> Win32AttachPlatform::ownFileVersion() {
  const cardservice::VersionStrings strings = cardservice::readModuleVersionStrings(module_);
  if (strings.found == 0) return std::nullopt;
  return strings[cardservice::VS_FILE_VERSION];
}

bool Win32AttachPlatform::ntFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  // Without an answer the safer assumption is NT: the service binding never
  // touches a device itself.
  if (!GetVersionExA(&version)) return true;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::unique_ptr<zrb2x::DeviceOperations> Win32AttachPlatform::serviceBinding() {
  return zrb2x::pipe::makeServicePipeDevices();
}

std::unique_ptr<zrb2x::DeviceOperations> Win32AttachPlatform::inProcessBinding() {
  return std::make_unique<zrb2x::InProcessDevices>();
}

}  // namespace accessor
