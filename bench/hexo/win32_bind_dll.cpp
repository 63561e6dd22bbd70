// Windows build: the benchmark calls hexo32.dll through its decorated
// exports, the way the card utility binds them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "image_file_api.h"

namespace {

HMODULE library = nullptr;

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
  api.name = "hexo32.dll";
  return bind(api.open, "_HexoOpen@16") && bind(api.getB, "_HexoGetB@8") && bind(api.putB, "_HexoPutB@12") &&
         bind(api.close, "_HexoClose@4") && bind(api.getError, "_HexoGetError@4");
}
