#include "win32_security.h"

namespace zrb2x::win {

OpenSecurity::OpenSecurity() {
  InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE);
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = TRUE;
}

HANDLE createOpenMutex(const char* name) {
  OpenSecurity security;
  return CreateMutexA(security.attributes(), FALSE, name);
}

}  // namespace zrb2x::win
