#include "win32_module_host.h"

#include <windows.h>

#include "version_message.h"
#include "win32_text.h"
#include "win32_version_resource.h"

namespace cardservice {

Win32ModuleHost::Win32ModuleHost(std::string messageFormat, std::string caption)
    : messageFormat_(std::move(messageFormat)), caption_(std::move(caption)) {}

OpenedModule Win32ModuleHost::open(const char* fileName) {
  OpenedModule opened;
  HMODULE module = LoadLibraryA(fileName);
  if (!module) return opened;
  opened.handle = module;
  opened.fileVersion = readModuleVersionStrings(module)[VS_FILE_VERSION];
  opened.entry = reinterpret_cast<CardEntry>(reinterpret_cast<void*>(GetProcAddress(module, "VESKCI")));
  return opened;
}

void Win32ModuleHost::close(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

void Win32ModuleHost::reportVersionMismatch(const char* fileName, const VersionNumbers& module,
                                            uint32_t managerMajor, uint32_t managerMinor) {
  const std::string text = formatVersionMessage(messageFormat_, fileName, module, managerMajor, managerMinor);
  MessageBoxW(nullptr, zrb::win::utf8ToWide(text).c_str(), zrb::win::utf8ToWide(caption_).c_str(),
              MB_OK | MB_ICONWARNING | MB_TASKMODAL);
}

}  // namespace cardservice
