// The seam through which portable code loads a shared library by file name
// and looks up its entries; Win32ModuleLoader is the real one, tests and the
// in-process card stack put their own behind it. (Portable: no windows.h.)
#pragma once

namespace zrb {

class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  // Null when the library cannot be loaded.
  virtual void* load(const char* fileName) = 0;
  // The entry's address; null when the library has no such entry.
  virtual void* entry(void* module, const char* name) = 0;
  virtual void unload(void* module) = 0;
};

}  // namespace zrb
