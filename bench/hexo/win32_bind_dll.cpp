// Windows build: the benchmark calls hexo32.dll through its decorated
// exports, the way the card utility binds them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "image_file_api.h"

namespace {

HMODULE library = nullptr;

// The DLL's exports are stdcall; the benchmark's table holds plain function
// pointers, so each export is called through a small forwarding function.
int32_t(__stdcall* dllOpen)(HexoHandle*, const char*, int32_t, int32_t);
int32_t(__stdcall* dllGetB)(HexoHandle*, uint32_t*);
int32_t(__stdcall* dllPutB)(HexoHandle*, uint32_t, int32_t);
int32_t(__stdcall* dllClose)(HexoHandle*);
int32_t(__stdcall* dllGetError)(HexoHandle*);

template <typename F>
bool bind(F& target, const char* name) {
  target = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (target == nullptr) std::fprintf(stderr, "hexo32.dll has no export %s\n", name);
  return target != nullptr;
}

}  // namespace

bool bindImageFileApi(ImageFileApi& api) {
  // The benchmark runs from <build>/bench; the deliverable is in <build>/bin.
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dll(path, length);
  dll = dll.substr(0, dll.find_last_of('\\')) + "\\..\\bin\\hexo32.dll";
  library = LoadLibraryA(dll.c_str());
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load hexo32.dll\n");
    return false;
  }
  if (!bind(dllOpen, "_HexoOpen@16") || !bind(dllGetB, "_HexoGetB@8") || !bind(dllPutB, "_HexoPutB@12") ||
      !bind(dllClose, "_HexoClose@4") || !bind(dllGetError, "_HexoGetError@4"))
    return false;
  api.name = "hexo32.dll";
  api.open = [](HexoHandle* h, const char* path, int32_t direction, int32_t type) {
    return dllOpen(h, path, direction, type);
  };
  api.getB = [](HexoHandle* h, uint32_t* address) { return dllGetB(h, address); };
  api.putB = [](HexoHandle* h, uint32_t address, int32_t byte) { return dllPutB(h, address, byte); };
  api.close = [](HexoHandle* h) { return dllClose(h); };
  api.getError = [](HexoHandle* h) { return dllGetError(h); };
  return true;
}
