#include "win32_registry.h"

namespace zrb::win {
namespace {

// Reads the value's type and size, then the value itself.
std::optional<std::vector<uint8_t>> readRaw(HKEY key, const char* name, DWORD wantedType, LONG& error) {
  DWORD type = 0, size = 0;
  error = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  if (error != ERROR_SUCCESS) return std::nullopt;
  if (type != wantedType) {
    error = ERROR_INVALID_DATA;
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(size);
  error = RegQueryValueExA(key, name, nullptr, &type, bytes.data(), &size);
  if (error != ERROR_SUCCESS || type != wantedType) return std::nullopt;
  bytes.resize(size);
  return bytes;
}

}  // namespace

RegistryKey RegistryKey::open(HKEY root, const std::string& path) {
  RegistryKey k;
  HKEY key = nullptr;
  k.error_ = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
  if (k.error_ == ERROR_SUCCESS) k.key_.reset(key);
  return k;
}

RegistryKey RegistryKey::create(HKEY root, const std::string& path) {
  RegistryKey k;
  HKEY key = nullptr;
  k.error_ = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                             nullptr, &key, nullptr);
  if (k.error_ == ERROR_SUCCESS) k.key_.reset(key);
  return k;
}

bool RegistryKey::readBinary(const char* name, void* data, DWORD size) const {
  if (!key_) return false;
  auto bytes = readRaw(key_.get(), name, REG_BINARY, error_);
  if (!bytes) return false;
  if (bytes->size() != size) {
    error_ = ERROR_INVALID_DATA;
    return false;
  }
  if (size) CopyMemory(data, bytes->data(), size);
  return true;
}

std::optional<std::vector<uint8_t>> RegistryKey::readBinary(const char* name) const {
  if (!key_) return std::nullopt;
  return readRaw(key_.get(), name, REG_BINARY, error_);
}

std::optional<std::string> RegistryKey::readString(const char* name) const {
  if (!key_) return std::nullopt;
  auto bytes = readRaw(key_.get(), name, REG_SZ, error_);
  if (!bytes) return std::nullopt;
  // The stored value may or may not end in its zero; it ends at the first one.
  std::string text(bytes->begin(), bytes->end());
  if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

std::optional<uint32_t> RegistryKey::readNumber(const char* name) const {
  if (!key_) return std::nullopt;
  auto bytes = readRaw(key_.get(), name, REG_DWORD, error_);
  if (!bytes || bytes->size() != sizeof(uint32_t)) return std::nullopt;
  uint32_t value = 0;
  CopyMemory(&value, bytes->data(), sizeof value);
  return value;
}

bool RegistryKey::writeBinary(const char* name, const void* data, DWORD size) {
  if (!key_) return false;
  error_ = RegSetValueExA(key_.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  return error_ == ERROR_SUCCESS;
}

bool RegistryKey::writeString(const char* name, const std::string& value) {
  if (!key_) return false;
  error_ = RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  return error_ == ERROR_SUCCESS;
}

bool RegistryKey::writeNumber(const char* name, uint32_t value) {
  if (!key_) return false;
  error_ =
      RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  return error_ == ERROR_SUCCESS;
}

bool RegistryKey::remove(const char* name) {
  if (!key_) return false;
  error_ = RegDeleteValueA(key_.get(), name);
  return error_ == ERROR_SUCCESS;
}

}  // namespace zrb::win
