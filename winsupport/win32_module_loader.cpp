#include "win32_module_loader.h"

#include <windows.h>

namespace zrb::win {

void* Win32ModuleLoader::load(const char* fileName) { return LoadLibraryA(fileName); }

void* Win32ModuleLoader::entry(void* module, const char* name) {
  // Through void*: a function pointer of one type to another draws a warning,
  // and the caller knows the entry's real type.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void Win32ModuleLoader::unload(void* module) {
  if (module) FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace zrb::win
