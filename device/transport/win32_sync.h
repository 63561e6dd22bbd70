// The Win32 side of the Sync seam, shared by every transport's system class.
#pragma once

#include <windows.h>

#include "os_sync.h"
#include "win32_security.h"

namespace zrb2x::win {

inline HANDLE toHandle(os::Handle h) { return reinterpret_cast<HANDLE>(h); }
inline os::Handle fromHandle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<os::Handle>(h);
}

template <typename Seam>
class Win32Sync : public Seam {
 public:
  os::Handle createMutex(const std::string& name, bool openFirst) override {
    if (openFirst)
      if (HANDLE h = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, TRUE, name.c_str())) return fromHandle(h);
    return fromHandle(zrb::win::createOpenMutex(name.c_str()));
  }
  bool waitMutex(os::Handle mutex, uint32_t timeoutMs) override {
    const DWORD wait = WaitForSingleObject(toHandle(mutex), timeoutMs);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  void releaseMutex(os::Handle mutex) override { ReleaseMutex(toHandle(mutex)); }
  void closeHandle(os::Handle handle) override { CloseHandle(toHandle(handle)); }
  void sleep(uint32_t ms) override { Sleep(ms); }
  void setLastError(uint32_t error) override { SetLastError(error); }
};

}  // namespace zrb2x::win
