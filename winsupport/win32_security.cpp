#include "win32_security.h"

namespace zrb::win {

OpenSecurity::OpenSecurity() : descriptor_(GlobalAlloc(GMEM_FIXED, SECURITY_DESCRIPTOR_MIN_LENGTH)) {
  auto* descriptor = static_cast<PSECURITY_DESCRIPTOR>(descriptor_.get());
  if (!descriptor || !InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(descriptor, TRUE, nullptr, FALSE))
    return;
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor;
  attributes_.bInheritHandle = TRUE;
  valid_ = true;
}

HANDLE createOpenMutex(const char* name) {
  OpenSecurity security;
  if (!security.valid()) return nullptr;
  return CreateMutexA(security.attributes(), FALSE, name);
}

}  // namespace zrb::win
