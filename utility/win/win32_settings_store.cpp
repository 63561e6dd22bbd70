#include "win32_settings_store.h"

#include <windows.h>

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
std::optional<std::vector<uint8_t>> RegistrySettingsStore::readBinary(std::string_view key,
                                                                      std::string_view name) {
  RegistryKey opened = RegistryKey::open(HKEY_CURRENT_USER, keyPath(key));
  if (!opened) return std::nullopt;
  const std::wstring wideName = zrb::win::utf8ToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(opened.get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_BINARY)
    return std::nullopt;
  std::vector<uint8_t> bytes(size);
  if (RegQueryValueExW(opened.get(), wideName.c_str(), nullptr, &type, bytes.data(), &size) !=
          ERROR_SUCCESS ||
      type != REG_BINARY)
    return std::nullopt;
  bytes.resize(size);  // the value may have shrunk between the two calls
  return bytes;
}

bool RegistrySettingsStore::writeBinary(std::string_view key, std::string_view name,
                                        std::span<const uint8_t> bytes) {
  RegistryKey created = RegistryKey::create(HKEY_CURRENT_USER, keyPath(key));
  if (!created) return false;
  const std::wstring wideName = zrb::win::utf8ToWide(name);
  return RegSetValueExW(created.get(), wideName.c_str(), 0, REG_BINARY, bytes.data(),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace tessel::win
