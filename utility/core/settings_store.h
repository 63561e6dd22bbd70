// The seam to where the card utility keeps its settings: the registry under
// the user's key on Windows, a map in tests. Keys are written as the program
// names them, "\Software\Orvane\tessel\Color".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tessel {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Opens the key, creating it when missing; false when that fails.
  virtual bool openKey(std::string_view key) = 0;
  // The value's bytes when it exists and is binary; nullopt otherwise.
  virtual std::optional<std::vector<uint8_t>> readBinary(std::string_view key, std::string_view name) = 0;
  virtual bool writeBinary(std::string_view key, std::string_view name, std::span<const uint8_t> bytes) = 0;
};

}  // namespace tessel
