// Named kernel objects shared between processes (device mutexes) are created
// with a present but NULL DACL and inheritable, so that the access service
// and any user's programs can open the same object.
#pragma once

#include <windows.h>

namespace zrb2x::win {

class OpenSecurity {
 public:
  OpenSecurity();
  OpenSecurity(const OpenSecurity&) = delete;
  OpenSecurity& operator=(const OpenSecurity&) = delete;
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
};

// CreateMutexA with open security, not initially owned; null on failure.
HANDLE createOpenMutex(const char* name);

}  // namespace zrb2x::win
