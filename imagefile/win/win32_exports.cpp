// hexo32.dll: the exported functions over the portable core, and the DLL's
// attach and detach. The .def file exports each under both of its names.
#include <windows.h>

#include <cstring>

#include "hexo32.h"
#include "hexo_core.h"
#include "win32_error_texts.h"

extern "C" {

int32_t __stdcall HexoOpen(HexoHandle* handle, const char* path, int32_t direction, int32_t type) {
  return hexo::open(*handle, path, direction, type);
}

int32_t __stdcall HexoGetB(HexoHandle* handle, uint32_t* address) { return hexo::getByte(*handle, address); }

int32_t __stdcall HexoPutB(HexoHandle* handle, uint32_t address, int32_t byte) {
  return hexo::putByte(*handle, address, byte);
}

int32_t __stdcall HexoPutBlock(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  return hexo::putBlock(*handle, address, bytes, count);
}

int32_t __stdcall HexoGetBlock(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count) {
  return hexo::getBlock(*handle, address, bytes, count);
}

int32_t __stdcall HexoIsEof(HexoHandle* handle) { return hexo::isEof(*handle); }

int32_t __stdcall HexoClose(HexoHandle* handle) { return hexo::close(*handle); }

int32_t __stdcall HexoGetError(HexoHandle* handle) { return hexo::error(*handle); }

char* __stdcall HexoStrError(char* buffer, uint32_t code) {
  if (buffer == nullptr) return nullptr;
  return std::strcpy(buffer, hexo::win::errorText(code));
}

int32_t __stdcall HexoGetLen(HexoHandle* handle) { return hexo::length(*handle); }

int32_t __stdcall HexoGetLineNo(HexoHandle* handle) { return hexo::lineNumber(*handle); }

char* __stdcall HexoGetPath(HexoHandle* handle) { return handle->path; }

int32_t __stdcall HexoGetPos(HexoHandle* handle) { return hexo::position(*handle); }

int32_t __stdcall HexoGetType(HexoHandle* handle) { return hexo::type(*handle); }

uint32_t __stdcall GetHexo32DllVersion() { return hexo::kLibraryVersion; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      return hexo::win::loadErrorTexts(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      hexo::win::freeErrorTexts();
      return TRUE;
    default:
      return TRUE;
  }
}

}  // extern "C"
