// A fixed set of named device mutexes ("...%u" per device index), created
// together: a transport is usable only when all of them exist.
#pragma once

#include <cstdio>
#include <vector>

#include "os_sync.h"

namespace zrb2x {

class DeviceMutexes {
 public:
  explicit DeviceMutexes(os::Sync& sync) : sync_(sync) {}
  ~DeviceMutexes() { close(); }
  DeviceMutexes(const DeviceMutexes&) = delete;
  DeviceMutexes& operator=(const DeviceMutexes&) = delete;

  // format holds one %u (or %02u) for the index.
  bool create(const char* format, const char* family, uint32_t count, bool openFirst) {
    close();
    for (uint32_t i = 0; i < count; ++i) {
      char name[128];
      if (family)
        std::snprintf(name, sizeof name, format, family, static_cast<unsigned>(i));
      else
        std::snprintf(name, sizeof name, format, static_cast<unsigned>(i));
      const os::Handle h = sync_.createMutex(name, openFirst);
      if (!h) {
        close();
        return false;
      }
      handles_.push_back(h);
    }
    return true;
  }
  void close() {
    for (os::Handle h : handles_) sync_.closeHandle(h);
    handles_.clear();
  }
  bool empty() const { return handles_.empty(); }
  os::Handle operator[](uint32_t index) const { return index < handles_.size() ? handles_[index] : 0; }

 private:
  os::Sync& sync_;
  std::vector<os::Handle> handles_;
};

// Holds a device mutex for one command.
class MutexHold {
 public:
  MutexHold(os::Sync& sync, os::Handle mutex, uint32_t timeoutMs)
      : sync_(sync), mutex_(mutex), held_(mutex && sync.waitMutex(mutex, timeoutMs)) {}
  ~MutexHold() {
    if (held_) sync_.releaseMutex(mutex_);
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool held() const { return held_; }

 private:
  os::Sync& sync_;
  os::Handle mutex_;
  bool held_;
};

}  // namespace zrb2x
