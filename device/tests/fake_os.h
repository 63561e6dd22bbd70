// Fakes of the operating-system seams of the real transports: handles are
// counted so a test can tell that every one opened was closed again.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "transport/os_sync.h"

namespace zrb2x::test {

template <typename Base>
class FakeSync : public Base {
 public:
  std::vector<std::string> mutexNames;
  std::vector<bool> mutexOpenFirst;
  std::set<os::Handle> openHandles;
  std::vector<uint32_t> sleeps;
  bool mutexWaitSucceeds = true;
  std::vector<uint32_t> mutexWaits;  // timeouts asked for
  int failMutexNumber = -1;          // creating this one (0-based) fails
  uint32_t lastError = 0;
  int mutexesHeld = 0;

  os::Handle newHandle() {
    openHandles.insert(next_);
    return next_++;
  }
  os::Handle createMutex(const std::string& name, bool openFirst) override {
    if (static_cast<int>(mutexNames.size()) == failMutexNumber) {
      mutexNames.push_back(name);
      return 0;
    }
    mutexNames.push_back(name);
    mutexOpenFirst.push_back(openFirst);
    return newHandle();
  }
  bool waitMutex(os::Handle, uint32_t timeoutMs) override {
    mutexWaits.push_back(timeoutMs);
    if (mutexWaitSucceeds) ++mutexesHeld;
    return mutexWaitSucceeds;
  }
  void releaseMutex(os::Handle) override { --mutexesHeld; }
  void closeHandle(os::Handle handle) override { openHandles.erase(handle); }
  void sleep(uint32_t ms) override { sleeps.push_back(ms); }
  void setLastError(uint32_t error) override { lastError = error; }

 private:
  os::Handle next_ = 100;
};

}  // namespace zrb2x::test
