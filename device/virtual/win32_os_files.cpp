// The virtual reader-writer's operating-system seam on Windows: file mappings
// for images, a named mutex per reader (named after its folder) for the
// reader's lock, and a file opened without sharing as the exclusive claim.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "os_files.h"
#include "reader_files.h"
#include "win32_owners.h"
#include "win32_security.h"

namespace zrb2x::virt {
namespace {

using Handle = zrb::win::UniqueHandle;

class Win32MappedImage : public MappedImage {
 public:
  Win32MappedImage(void* view, size_t size) : view_(view), size_(size) {}
  ~Win32MappedImage() override {
    if (view_) UnmapViewOfFile(view_);
  }
  uint8_t* data() override { return static_cast<uint8_t*>(view_); }
  size_t size() const override { return size_; }

 private:
  void* view_;
  size_t size_;
};

// Named after the folder, so every process that opens the same reader shares
// one mutex whatever spelling of the path it was given.
std::string mutexNameFor(const std::filesystem::path& folder) {
  std::error_code error;
  std::wstring path = std::filesystem::weakly_canonical(folder, error).wstring();
  if (error) path = std::filesystem::absolute(folder).wstring();
  std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return towlower(c); });
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (wchar_t c : path) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "zrb2xVirtualIo/%016llX", static_cast<unsigned long long>(hash));
  return name;
}

class MutexReaderLock : public ReaderLock {
 public:
  explicit MutexReaderLock(const std::string& name) : mutex_(zrb::win::createOpenMutex(name.c_str())) {}
  bool lock(uint32_t timeoutMs) override {
    if (!mutex_.get()) return false;
    // An abandoned mutex still serialises: the state files are whole after
    // every command because each is written at its end.
    const DWORD wait = WaitForSingleObject(mutex_.get(), timeoutMs);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  void unlock() override { ReleaseMutex(mutex_.get()); }

 private:
  Handle mutex_;
};

class FileClaim : public ExclusiveClaim {
 public:
  explicit FileClaim(HANDLE file) : file_(file) {}

 private:
  Handle file_;
};

// A file with another hard link may be a system file under a second name.
bool singleName(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nNumberOfLinks <= 1;
}

}  // namespace

bool isLinkFree(const std::filesystem::path& entry) {
  const DWORD attributes = GetFileAttributesW(entry.wstring().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool hasOneName(const std::filesystem::path& file) {
  Handle handle(CreateFileW(file.wstring().c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.get()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return singleName(handle.get());
}

bool writeFileInPlace(const std::filesystem::path& file, const std::string& bytes) {
  Handle handle(CreateFileW(file.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr));
  if (!handle.get() || !singleName(handle.get())) return false;
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size()))
    return false;
  return SetEndOfFile(handle.get()) != 0;
}

void setLastSystemError(uint32_t error) { SetLastError(error); }
uint32_t lastSystemError() { return GetLastError(); }

std::unique_ptr<MappedImage> mapImage(const std::filesystem::path& file) {
  Handle handle(CreateFileW(file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle.get() || !singleName(handle.get())) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle.get(), &size) || size.QuadPart > 0x7FFFFFFF) return nullptr;
  if (size.QuadPart == 0) return std::make_unique<Win32MappedImage>(nullptr, 0);
  Handle mapping(CreateFileMappingW(handle.get(), nullptr, PAGE_READWRITE, 0, 0, nullptr));
  if (!mapping.get()) return nullptr;
  void* view = MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0);
  if (!view) return nullptr;
  return std::make_unique<Win32MappedImage>(view, static_cast<size_t>(size.QuadPart));
}

std::unique_ptr<ReaderLock> makeReaderLock(const std::filesystem::path& folder) {
  return std::make_unique<MutexReaderLock>(mutexNameFor(folder));
}

std::unique_ptr<ExclusiveClaim> tryClaimExclusive(const std::filesystem::path& folder) {
  Handle file(CreateFileW((folder / kExclusiveFile).wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                          nullptr));
  if (!file || !singleName(file.get())) return nullptr;
  return std::make_unique<FileClaim>(file.release());
}

}  // namespace zrb2x::virt
