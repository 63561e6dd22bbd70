#include "win32_settings_store.h"

#include <windows.h>

#include <cstring>

#include "win32_registry.h"
#include "win32_text.h"

namespace tessel::win {

using zrb::win::RegistryKey;

RegistrySettingsStore::RegistrySettingsStore(std::string rootPath) : root_(std::move(rootPath)) {}

// The program names its keys from the root, "\Software\...", while the
// registry wants them relative to HKEY_CURRENT_USER.
std::string RegistrySettingsStore::keyPath(std::string_view key) const {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return root_.empty() ? std::string(key) : root_ + "\\" + std::string(key);
}

bool RegistrySettingsStore::openKey(std::string_view key) {
  return static_cast<bool>(RegistryKey::create(HKEY_CURRENT_USER, keyPath(key)));
}

// Key paths are the program's own ASCII names; value names go through the
// wide API so that no name is ever taken in the system's ANSI code page.
std::optional<std::vector<uint8_t>> RegistrySettingsStore::readValue(std::string_view key,
                                                                     std::string_view name,
                                                                     DWORD wantedType) {
  RegistryKey opened = RegistryKey::open(HKEY_CURRENT_USER, keyPath(key));
  if (!opened) return std::nullopt;
  const std::wstring wideName = zrb::win::utf8ToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(opened.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != wantedType)
    return std::nullopt;
  std::vector<uint8_t> bytes(size);
  if (RegQueryValueExW(opened.get(), wideName.c_str(), nullptr, &type, bytes.data(), &size) !=
          ERROR_SUCCESS ||
      type != wantedType)
    return std::nullopt;
  bytes.resize(size);  // the value may have shrunk between the two calls
  return bytes;
}

bool RegistrySettingsStore::writeValue(std::string_view key, std::string_view name, DWORD type,
                                       const void* data, DWORD size) {
  RegistryKey created = RegistryKey::create(HKEY_CURRENT_USER, keyPath(key));
  if (!created) return false;
  const std::wstring wideName = zrb::win::utf8ToWide(name);
  return RegSetValueExW(created.get(), wideName.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

std::optional<std::vector<uint8_t>> RegistrySettingsStore::readBinary(std::string_view key,
                                                                      std::string_view name) {
  return readValue(key, name, REG_BINARY);
}

bool RegistrySettingsStore::writeBinary(std::string_view key, std::string_view name,
                                        std::span<const uint8_t> bytes) {
  return writeValue(key, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::optional<std::string> RegistrySettingsStore::readString(std::string_view key, std::string_view name) {
  std::optional<std::vector<uint8_t>> bytes = readValue(key, name, REG_SZ);
  if (!bytes) return std::nullopt;
  std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes->data(), text.size() * sizeof(wchar_t));
  // The stored text may or may not end in its zero; it ends at the first one.
  if (std::size_t zero = text.find(L'\0'); zero != std::wstring::npos) text.resize(zero);
  return zrb::win::wideToUtf8(text);
}

bool RegistrySettingsStore::writeString(std::string_view key, std::string_view name, std::string_view text) {
  const std::wstring wide = zrb::win::utf8ToWide(text);
  return writeValue(key, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::optional<uint32_t> RegistrySettingsStore::readNumber(std::string_view key, std::string_view name) {
  std::optional<std::vector<uint8_t>> bytes = readValue(key, name, REG_DWORD);
  if (!bytes || bytes->size() != sizeof(uint32_t)) return std::nullopt;
  uint32_t value = 0;
  std::memcpy(&value, bytes->data(), sizeof value);
  return value;
}

bool RegistrySettingsStore::writeNumber(std::string_view key, std::string_view name, uint32_t value) {
  return writeValue(key, name, REG_DWORD, &value, sizeof value);
}

}  // namespace tessel::win
