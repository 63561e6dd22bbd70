// Module entry: every string and dialog comes from this module's resources.
#include <windows.h>

#include "win32_support.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    cis::win::setModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
