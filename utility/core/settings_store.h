// The seam to where the card utility keeps its settings: the registry under
// the user's key on Windows, a map in tests. Keys are written as the program
// names them, "\Software\Orvane\tessel\Color".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
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

  // String values (UTF-8 here) and 32-bit number values, which only the
  // transfer dialogs keep. A store that has none of them reads nothing and
  // refuses to write, so callers fall back to their defaults.
  virtual std::optional<std::string> readString(std::string_view /*key*/, std::string_view /*name*/) {
    return std::nullopt;
  }
  virtual bool writeString(std::string_view /*key*/, std::string_view /*name*/, std::string_view /*text*/) {
    return false;
  }
  virtual std::optional<uint32_t> readNumber(std::string_view /*key*/, std::string_view /*name*/) {
    return std::nullopt;
  }
  virtual bool writeNumber(std::string_view /*key*/, std::string_view /*name*/, uint32_t /*value*/) {
    return false;
  }
};

}  // namespace tessel
