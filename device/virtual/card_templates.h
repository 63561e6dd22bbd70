// Making and changing virtual reader-writers: what the zrb2xvirt tool does,
// and what tests use to set up a reader with a sample card. Every change runs
// under the reader's lock, like a command.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reader_state.h"

namespace zrb2x::virt {

enum class CardTemplate { Sram, Eeprom, Flash28F008, Flash29F040, TwoRegion, Ata, Blank };

struct TemplateRow {
  const char* name;
  CardTemplate card;
  const char* description;
};
const std::vector<TemplateRow>& cardTemplates();
std::optional<CardTemplate> templateFromName(const std::string& name);

struct ReaderOptions {
  std::string product = "ZRB-22G";
  std::string revision = "2.00";
};

struct InsertOptions {
  std::optional<uint32_t> size;                // common memory bytes instead of the template's
  std::optional<std::filesystem::path> image;  // fills common memory from the start
  std::optional<std::filesystem::path> cis;    // tuple bytes for the even attribute addresses
};

// Each returns an empty string on success, else what went wrong.
std::string createReader(const std::filesystem::path& folder, const ReaderOptions& options);
std::string insertCard(const std::filesystem::path& folder, CardTemplate card, const InsertOptions& options);
std::string removeCard(const std::filesystem::path& folder);
// Any other change of the description (protect, battery, faults, ...).
std::string changeReader(const std::filesystem::path& folder,
                         const std::function<void(ReaderState&)>& change);
std::string showReader(const std::filesystem::path& folder, std::string& text);

// The tuple chain a template writes: device information, version strings and,
// for ATA, the function identification.
std::vector<uint8_t> templateCis(CardTemplate card, uint32_t commonSize);

}  // namespace zrb2x::virt
