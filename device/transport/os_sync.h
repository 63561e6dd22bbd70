// The operating-system calls every real transport needs: named mutexes (one
// per device, shared by every process), handles, sleeping and the thread's
// last-error value. win32_os_sync.cpp implements it; tests use fakes.
#pragma once

#include <cstdint>
#include <string>

namespace zrb2x::os {

using Handle = uintptr_t;  // 0 is "no handle"

class Sync {
 public:
  virtual ~Sync() = default;
  // A mutex with open security (null DACL, inheritable), not initially owned.
  // openFirst: open an existing mutex of that name before creating one.
  virtual Handle createMutex(const std::string& name, bool openFirst) = 0;
  // True when the mutex was obtained (an abandoned one counts) within timeoutMs.
  virtual bool waitMutex(Handle mutex, uint32_t timeoutMs) = 0;
  virtual void releaseMutex(Handle mutex) = 0;
  virtual void closeHandle(Handle handle) = 0;
  virtual void sleep(uint32_t ms) = 0;
  virtual void setLastError(uint32_t error) = 0;
};

// Windows error codes the transports look at or report.
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorCrc = 23;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorNotSupported = 50;

}  // namespace zrb2x::os
