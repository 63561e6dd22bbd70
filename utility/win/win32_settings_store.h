// The card utility's settings in the registry under HKEY_CURRENT_USER, keys
// created when missing, every number a binary value of its own width.
#pragma once

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

 private:
  std::string keyPath(std::string_view key) const;

  std::string root_;
};

}  // namespace tessel::win
