// slothub.dll: attach and detach, and the two exported entries. Everything
// the entries do is in CardManager; this layer only binds it to Win32 and
// keeps exceptions inside the library.
#include <windows.h>

#include <memory>
#include <new>

#include "card_manager.h"
#include "win32_module_host.h"
#include "win32_text.h"
#include "win32_version_resource.h"

using namespace cardservice;

namespace {

constexpr UINT kVersionMessageId = 1;
constexpr int kVersionMessageMax = 1024;

std::unique_ptr<Win32ModuleHost> gHost;
std::unique_ptr<CardManager> gManager;

bool attach(HINSTANCE instance) {
  const VersionStrings own = readModuleVersionStrings(instance);
  if (own.found == 0 || own[VS_FILE_VERSION].empty()) return false;
  const VersionNumbers version = parseVersionString(own[VS_FILE_VERSION]);
  if (version.count < 1) return false;

  wchar_t format[kVersionMessageMax] = {};
  const int length = LoadStringW(instance, kVersionMessageId, format, kVersionMessageMax);
  if (length <= 0) return false;

  gHost = std::make_unique<Win32ModuleHost>(
      zrb::win::wideToUtf8(std::wstring_view(format, static_cast<size_t>(length))),
      own[VS_ORIGINAL_FILENAME]);
  gManager = std::make_unique<CardManager>(*gHost, version);
  return true;
}

void detach(bool processEnding) {
  // When the whole process is ending the accessor modules are being torn
  // down by the system already; freeing them again from here is unsafe.
  if (processEnding) {
    (void)gManager.release();
    (void)gHost.release();
    return;
  }
  gManager.reset();  // unloads the modules when they are loaded
  gHost.reset();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        return attach(instance) ? TRUE : FALSE;
      case DLL_PROCESS_DETACH:
        detach(reserved != nullptr);
        return TRUE;
      default:
        return TRUE;
    }
  } catch (...) {
    return FALSE;
  }
}

extern "C" int32_t __stdcall VESKCM(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                    uint32_t length, void* data) {
  try {
    return gManager ? gManager->veskcm(code, socket, space, offset, length, data) : CS_DEVICE_FAILURE;
  } catch (const std::bad_alloc&) {
    return CS_DEVICE_FAILURE;
  } catch (...) {
    return CS_DEVICE_FAILURE;
  }
}

extern "C" int32_t __stdcall SlotHubService(uint32_t code, const SlotRequest* request, uint32_t requestLength,
                                            void* buffer, uint32_t bufferLength) {
  try {
    return gManager ? gManager->slotHubService(code, request, requestLength, buffer, bufferLength)
                    : CS_DEVICE_FAILURE;
  } catch (...) {
    return CS_DEVICE_FAILURE;
  }
}
