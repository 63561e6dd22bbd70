// What the card manager needs from the platform: loading an accessor module
// with its version string and entry, freeing it, and telling the user about a
// module of the wrong version. The Win32 implementation sits in
// win32_module_host.cpp; tests use fakes.
#pragma once

#include <cstdint>
#include <string>

#include "card_service.h"
#include "version_string.h"

namespace cardservice {

struct OpenedModule {
  void* handle = nullptr;     // null: the library could not be loaded
  std::string fileVersion;    // "FileVersion" of its version resource; empty when missing
  CardEntry entry = nullptr;  // its VESKCI export; null when missing
};

class ModuleHost {
 public:
  virtual ~ModuleHost() = default;
  virtual OpenedModule open(const char* fileName) = 0;
  virtual void close(void* handle) = 0;
  // Module's file name and four numbers beside the manager's first two.
  virtual void reportVersionMismatch(const char* fileName, const VersionNumbers& module,
                                     uint32_t managerMajor, uint32_t managerMinor) = 0;
};

}  // namespace cardservice
