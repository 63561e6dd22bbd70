#include "win/module_dir.h"

#include <windows.h>

namespace zrb::test {

std::string executableDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  auto slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

}  // namespace zrb::test

namespace zrb::test {

std::string deliverableDirectory() { return executableDirectory() + "\\..\\bin"; }

}  // namespace zrb::test
