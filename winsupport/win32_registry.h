// Registry values as the suite stores them: numbers as binary values of
// their own width, strings, and raw binary blocks. Every call says whether
// it succeeded and, when not, leaves the caller's value untouched.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win32_owners.h"

namespace zrb::win {

class RegistryKey {
 public:
  // Opens `path` under `root` for reading; create() also creates it and
  // opens it for writing. An unopened key answers every read with nothing
  // and every write with false.
  static RegistryKey open(HKEY root, const std::string& path);
  static RegistryKey create(HKEY root, const std::string& path);
  explicit operator bool() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_.get(); }
  LONG lastError() const { return error_; }

  // A binary value of exactly `size` bytes (a value of another size is not
  // this value: nothing is read).
  bool readBinary(const char* name, void* data, DWORD size) const;
  std::optional<std::vector<uint8_t>> readBinary(const char* name) const;
  std::optional<std::string> readString(const char* name) const;
  std::optional<uint32_t> readNumber(const char* name) const;  // REG_DWORD

  bool writeBinary(const char* name, const void* data, DWORD size);
  bool writeString(const char* name, const std::string& value);
  bool writeNumber(const char* name, uint32_t value);
  bool remove(const char* name);

 private:
  UniqueKey key_;
  mutable LONG error_ = ERROR_SUCCESS;
};

}  // namespace zrb::win
