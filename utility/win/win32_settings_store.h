// The card utility's settings in the registry under HKEY_CURRENT_USER, keys
// created when missing, every number a binary value of its own width.
#pragma once

#include <windows.h>

#include <string>

#include "settings_store.h"

namespace tessel::win {

class RegistrySettingsStore final : public SettingsStore {
 public:
  // The program's keys where the program keeps them.
  RegistrySettingsStore() = default;
  // The same keys below `rootPath` (relative to HKEY_CURRENT_USER), so that a
  // test never reads or changes the user's own settings.
  explicit RegistrySettingsStore(std::string rootPath);

  bool openKey(std::string_view key) override;
  std::optional<std::vector<uint8_t>> readBinary(std::string_view key, std::string_view name) override;
  bool writeBinary(std::string_view key, std::string_view name, std::span<const uint8_t> bytes) override;
  // Strings are REG_SZ in UTF-16 (a file name may hold any character);
  // numbers REG_DWORD. A value of another kind reads as nothing.
  std::optional<std::string> readString(std::string_view key, std::string_view name) override;
  bool writeString(std::string_view key, std::string_view name, std::string_view text) override;
  std::optional<uint32_t> readNumber(std::string_view key, std::string_view name) override;
  bool writeNumber(std::string_view key, std::string_view name, uint32_t value) override;

 private:
  std::string keyPath(std::string_view key) const;
  // The value's bytes when it exists and is of `type`.
  std::optional<std::vector<uint8_t>> readValue(std::string_view key, std::string_view name, DWORD type);
  bool writeValue(std::string_view key, std::string_view name, DWORD type, const void* data, DWORD size);

  std::string root_;
};

}  // namespace tessel::win
