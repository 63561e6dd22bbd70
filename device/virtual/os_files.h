// The few operating-system services the virtual reader-writer needs, behind
// one seam: memory-mapped image files, a per-reader lock shared by every
// process, and an exclusive claim that stands in for a volume lock.
// posix_os_files.cpp and win32_os_files.cpp implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace zrb2x::virt {

class MappedImage {
 public:
  virtual ~MappedImage() = default;
  virtual uint8_t* data() = 0;  // null for an empty file
  virtual size_t size() const = 0;
};

// Maps a whole existing file for reading and writing; null when it cannot.
std::unique_ptr<MappedImage> mapImage(const std::filesystem::path& file);

// The reader's lock: one command at a time across all processes.
class ReaderLock {
 public:
  virtual ~ReaderLock() = default;
  virtual bool lock(uint32_t timeoutMs) = 0;
  virtual void unlock() = 0;
};

std::unique_ptr<ReaderLock> makeReaderLock(const std::filesystem::path& readerFolder);

// Exclusive use of a reader, held until destroyed; null when another holder
// (in any process) has it.
class ExclusiveClaim {
 public:
  virtual ~ExclusiveClaim() = default;
};

std::unique_ptr<ExclusiveClaim> tryClaimExclusive(const std::filesystem::path& readerFolder);

// The access service works on reader folders with the system's rights; it
// must not be turned onto files elsewhere. isLinkFree: `entry` is missing, or
// is neither a symbolic link nor a junction or other reparse point (cheap, for
// every command). hasOneName: `file` is missing or has no other hard link
// (checked before a file is written by name; mapped images and claims check
// their open handle).
bool isLinkFree(const std::filesystem::path& entry);
bool hasOneName(const std::filesystem::path& file);

// Replaces the content of `file` (created when missing) with `bytes`, never
// through a link and never into a file with another hard link.
bool writeFileInPlace(const std::filesystem::path& file, const std::string& bytes);

// The calling thread's last-error value, which a failed system-level device
// call leaves for its caller (Windows: the thread's last error).
void setLastSystemError(uint32_t error);
uint32_t lastSystemError();
constexpr uint32_t kErrorNotSupported = 50;

// Holds a ReaderLock for a scope.
class ReaderLockGuard {
 public:
  ReaderLockGuard(ReaderLock& lock, uint32_t timeoutMs) : lock_(lock), held_(lock.lock(timeoutMs)) {}
  ~ReaderLockGuard() {
    if (held_) lock_.unlock();
  }
  ReaderLockGuard(const ReaderLockGuard&) = delete;
  ReaderLockGuard& operator=(const ReaderLockGuard&) = delete;
  bool held() const { return held_; }

 private:
  ReaderLock& lock_;
  bool held_;
};

}  // namespace zrb2x::virt
