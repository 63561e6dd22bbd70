// Accessor modules loaded with the system's normal DLL search, and the
// version message shown as a task-modal warning box.
#pragma once

#include <string>

#include "module_host.h"

namespace cardservice {

class Win32ModuleHost final : public ModuleHost {
 public:
  // messageFormat: string 1 of the manager (UTF-8); caption: its "OriginalFilename".
  Win32ModuleHost(std::string messageFormat, std::string caption);
  OpenedModule open(const char* fileName) override;
  void close(void* handle) override;
  void reportVersionMismatch(const char* fileName, const VersionNumbers& module, uint32_t managerMajor,
                             uint32_t managerMinor) override;

 private:
  std::string messageFormat_;
  std::string caption_;
};

}  // namespace cardservice
