// veskci2xs.dll: attach and detach, and the accessor entry VESKCI. The card
// functions live in CardAccessor; this layer binds them to Win32 and keeps
// exceptions inside the library.
#include <windows.h>

#include <memory>

#include "attach.h"
#include "win32_attach_platform.h"

using namespace cardservice;

namespace {

std::unique_ptr<accessor::AttachedModule> gModule;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH: {
        DisableThreadLibraryCalls(instance);
        accessor::Win32AttachPlatform platform(instance);
        gModule = accessor::attachModule(platform);
        return gModule ? TRUE : FALSE;
      }
      case DLL_PROCESS_DETACH:
        // At process end other threads are gone, possibly in the middle of a
        // device command; the system reclaims handles and mappings itself.
        if (reserved)
          (void)gModule.release();
        else
          gModule.reset();  // closes the device library
        return TRUE;
      default:
        return TRUE;
    }
  } catch (...) {
    return FALSE;
  }
}

extern "C" int32_t __stdcall VESKCI(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                    uint32_t length, void* data) {
  try {
    if (!gModule) return code == FN_INFO ? 0 : CS_BAD_SOCKET;
    return gModule->cards().call(code, socket, space, offset, length, data);
  } catch (...) {
    return CS_DEVICE_FAILURE;
  }
}
