// Libraries loaded with the normal DLL search (the program's folder first).
#pragma once

#include "module_loader.h"

namespace zrb::win {

class Win32ModuleLoader final : public ModuleLoader {
 public:
  void* load(const char* fileName) override;
  void* entry(void* module, const char* name) override;
  void unload(void* module) override;
};

}  // namespace zrb::win
