// The virtual reader-writer's operating-system seam on POSIX systems: mmap
// for images, flock on lock files for the reader's lock and exclusive claims.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "os_files.h"
#include "reader_files.h"

namespace zrb2x::virt {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

class PosixMappedImage : public MappedImage {
 public:
  PosixMappedImage(void* address, size_t size) : address_(address), size_(size) {}
  ~PosixMappedImage() override {
    if (address_) ::munmap(address_, size_);
  }
  uint8_t* data() override { return static_cast<uint8_t*>(address_); }
  size_t size() const override { return size_; }

 private:
  void* address_;
  size_t size_;
};

class FlockReaderLock : public ReaderLock {
 public:
  explicit FlockReaderLock(const std::filesystem::path& file)
      : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666)) {}
  bool lock(uint32_t timeoutMs) override {
    if (!fd_.valid()) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }
  void unlock() override { ::flock(fd_.get(), LOCK_UN); }

 private:
  FileDescriptor fd_;
};

class FlockClaim : public ExclusiveClaim {
 public:
  explicit FlockClaim(int fd) : fd_(fd) {}

 private:
  FileDescriptor fd_;  // closing it drops the lock
};

}  // namespace

namespace {
thread_local uint32_t t_lastError = 0;
}

bool isLinkFree(const std::filesystem::path& entry) {
  struct stat info {};
  if (::lstat(entry.c_str(), &info) != 0) return errno == ENOENT;
  return !S_ISLNK(info.st_mode);
}

bool hasOneName(const std::filesystem::path& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0) return errno == ENOENT;
  return !S_ISREG(info.st_mode) || info.st_nlink <= 1;
}

bool writeFileInPlace(const std::filesystem::path& file, const std::string& bytes) {
  FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
  struct stat info {};
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || info.st_nlink > 1) return false;
  if (::ftruncate(fd.get(), 0) != 0) return false;
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void setLastSystemError(uint32_t error) { t_lastError = error; }
uint32_t lastSystemError() { return t_lastError; }

std::unique_ptr<MappedImage> mapImage(const std::filesystem::path& file) {
  FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid()) return nullptr;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || info.st_nlink > 1) return nullptr;
  const size_t size = static_cast<size_t>(info.st_size);
  if (size == 0) return std::make_unique<PosixMappedImage>(nullptr, 0);
  void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (address == MAP_FAILED) return nullptr;
  return std::make_unique<PosixMappedImage>(address, size);
}

std::unique_ptr<ReaderLock> makeReaderLock(const std::filesystem::path& folder) {
  return std::make_unique<FlockReaderLock>(folder / kLockFile);
}

std::unique_ptr<ExclusiveClaim> tryClaimExclusive(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / kExclusiveFile;
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_nlink > 1 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FlockClaim>(fd);
}

}  // namespace zrb2x::virt
