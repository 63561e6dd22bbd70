// Named kernel objects shared between processes (device mutexes, the pipe)
// are created with a present but NULL DACL and inheritable, so that the
// access service and every user's programs can open the same object.
#pragma once

#include <windows.h>

#include "win32_owners.h"

namespace zrb::win {

// The descriptor lives in a GMEM_FIXED block of its own, owned here, so the
// attributes stay valid for as long as this object does.
class OpenSecurity {
 public:
  OpenSecurity();
  OpenSecurity(const OpenSecurity&) = delete;
  OpenSecurity& operator=(const OpenSecurity&) = delete;
  bool valid() const { return valid_; }
  // Null when the descriptor could not be made.
  SECURITY_ATTRIBUTES* attributes() { return valid_ ? &attributes_ : nullptr; }

 private:
  UniqueGlobal descriptor_;
  SECURITY_ATTRIBUTES attributes_{};
  bool valid_ = false;
};

// CreateMutexA with open security, not initially owned; null on failure.
HANDLE createOpenMutex(const char* name);

}  // namespace zrb::win
