#include "card_templates.h"

#include <fstream>

#include "chip_table.h"
#include "device_table.h"
#include "inquiry.h"
#include "os_files.h"
#include "reader_files.h"
#include "region_table_codec.h"
#include "virtual_command.h"
#include "virtual_layer.h"

namespace zrb2x::virt {
namespace {

constexpr uint32_t kAttributeSize = 0x2000;  // attribute address space of every template
constexpr uint32_t kMaxCommonSize = 0x4000000;

const std::vector<TemplateRow> kTemplates = {
    {"sram", CardTemplate::Sram, "1 MiB SRAM card with a CIS"},
    {"eeprom", CardTemplate::Eeprom, "8 KiB EEPROM card with a CIS"},
    {"flash-28f008", CardTemplate::Flash28F008, "2 MiB Intel 28F008 flash card (0xA289) with a CIS"},
    {"flash-29f040", CardTemplate::Flash29F040, "1 MiB AMD 29F040 flash card (0xA401) with a CIS"},
    {"two-region", CardTemplate::TwoRegion, "512 KiB SRAM, then 1 MiB AMD 29F040 flash, with a CIS"},
    {"ata", CardTemplate::Ata, "4 MiB ATA card with its CIS"},
    {"blank", CardTemplate::Blank, "1 MiB SRAM card without CIS and with an empty region table"},
};

struct CardLayout {
  std::vector<ChipSegment> chips;
  bool describeInTable = true;
};

CardLayout layoutFor(CardTemplate card, std::optional<uint32_t> size) {
  auto sized = [&](uint32_t standard) { return size.value_or(standard); };
  switch (card) {
    case CardTemplate::Sram:
      return {{{ChipType::Sram, 0, sized(0x100000)}}};
    case CardTemplate::Eeprom:
      return {{{ChipType::Eeprom, 0, sized(0x2000)}}};
    case CardTemplate::Flash28F008:
      return {{{ChipType::Flash, 0xA289, sized(0x200000)}}};
    case CardTemplate::Flash29F040:
      return {{{ChipType::Flash, 0xA401, sized(0x100000)}}};
    case CardTemplate::TwoRegion:
      return {{{ChipType::Sram, 0, sized(0x80000)}, {ChipType::Flash, 0xA401, 0x100000}}};
    case CardTemplate::Ata:
      return {{{ChipType::Ata, 0, sized(0x400000)}}};
    case CardTemplate::Blank:
      return {{{ChipType::Sram, 0, sized(0x100000)}}, false};
  }
  return {};
}

uint32_t kindOf(ChipType type) {
  switch (type) {
    case ChipType::Sram:
      return 6;
    case ChipType::Eeprom:
      return 4;
    case ChipType::Flash:
      return 5;
    case ChipType::Ata:
      return 13;
  }
  return 0;
}

DeviceTable tableFor(const CardLayout& layout) {
  DeviceTable table{};
  if (!layout.describeInTable) return table;
  for (size_t i = 0; i < layout.chips.size() && i < kAttributeRegion; ++i) {
    const ChipSegment& chip = layout.chips[i];
    const uint32_t kind = kindOf(chip.type);
    const uint32_t chipId = chip.type == ChipType::Flash ? chip.chipId : 0;
    table.region[i] = {kind, chipParameters(kind, chipId).deviceCode, chip.size, chipId};
  }
  table.region[kAttributeRegion] = {4, 0, kAttributeSize, 0};
  return table;
}

// Device information tuple size byte: units − 1 in bits 3 to 7, unit code in
// bits 0 to 2 (512 bytes × 4^code).
uint8_t deviceSizeCode(uint32_t size) {
  for (uint8_t code = 7; code-- > 0;) {
    const uint32_t unit = 512u << (2 * code);
    if (size % unit == 0 && size / unit >= 1 && size / unit <= 32)
      return static_cast<uint8_t>(((size / unit - 1) << 3) | code);
  }
  return 0x07 | (31 << 3);  // larger than the tuple can say
}

void addVersionTuple(std::vector<uint8_t>& cis, const std::string& product) {
  std::vector<uint8_t> body = {0x04, 0x01};
  for (const std::string& text : {std::string("VELMO"), product}) {
    body.insert(body.end(), text.begin(), text.end());
    body.push_back(0);
  }
  body.push_back(0xFF);
  cis.push_back(0x15);
  cis.push_back(static_cast<uint8_t>(body.size()));
  cis.insert(cis.end(), body.begin(), body.end());
}

std::string writeFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.fail() ? "cannot write " + file.string() : "";
}

// Reads a whole file that may hold at most `limit` bytes; a larger one is
// refused by its size, before anything is read into memory.
std::string readFile(const std::filesystem::path& file, std::vector<uint8_t>& bytes, uint64_t limit,
                     const char* tooLarge) {
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(file, error);
  if (error) return "cannot read " + file.string();
  if (size > limit) return tooLarge;
  std::ifstream in(file, std::ios::binary);
  if (!in) return "cannot read " + file.string();
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return "";
}

// Runs `use` on the description under the reader's lock; "" or what failed.
std::string withDescription(const std::filesystem::path& folder,
                            const std::function<std::string(ReaderState&)>& use) {
  std::error_code missing;
  if (!std::filesystem::is_regular_file(folder / kDescriptionFile, missing))
    return "not a virtual reader (no reader.txt): " + folder.string();
  auto lock = makeReaderLock(folder);
  ReaderLockGuard guard(*lock, kCommandLockWaitMs);
  if (!guard.held()) return "the reader is busy: " + folder.string();
  auto state = loadReaderState(folder);
  if (!state) return "not a virtual reader (no valid reader.txt): " + folder.string();
  return use(*state);
}

// Runs a change of the description under the reader's lock and stores it.
std::string underLock(const std::filesystem::path& folder,
                      const std::function<std::string(ReaderState&)>& change) {
  return withDescription(folder, [&](ReaderState& state) -> std::string {
    if (std::string error = change(state); !error.empty()) return error;
    return saveReaderState(folder, state) ? "" : "cannot write the description in " + folder.string();
  });
}

}  // namespace

const std::vector<TemplateRow>& cardTemplates() { return kTemplates; }

std::optional<CardTemplate> templateFromName(const std::string& name) {
  for (const auto& row : kTemplates)
    if (name == row.name) return row.card;
  return std::nullopt;
}

std::vector<uint8_t> templateCis(CardTemplate card, uint32_t commonSize) {
  if (card == CardTemplate::Blank) return {};
  const CardLayout layout = layoutFor(card, commonSize);
  std::vector<uint8_t> cis;
  // One device information entry per chip stretch: type code in the high
  // nibble, speed code 3 (150 ns) or 0 for function-specific.
  std::vector<uint8_t> devices;
  for (const auto& chip : layout.chips) {
    const uint32_t kind = kindOf(chip.type);
    devices.push_back(static_cast<uint8_t>((kind << 4) | (kind == 13 ? 0 : 3)));
    devices.push_back(deviceSizeCode(chip.size));
  }
  devices.push_back(0xFF);
  cis.push_back(0x01);
  cis.push_back(static_cast<uint8_t>(devices.size()));
  cis.insert(cis.end(), devices.begin(), devices.end());
  const char* product = card == CardTemplate::Ata ? "VIRTUAL ATA CARD" : "VIRTUAL MEMORY CARD";
  addVersionTuple(cis, product);
  if (card == CardTemplate::Ata) {
    const uint8_t functionId[] = {0x21, 0x02, 0x04, 0x01};  // fixed disk, configure at start-up
    cis.insert(cis.end(), std::begin(functionId), std::end(functionId));
  }
  cis.push_back(0xFF);  // end of chain
  return cis;
}

std::string createReader(const std::filesystem::path& folder, const ReaderOptions& options) {
  ReaderState state;
  state.product = options.product;
  state.revision = options.revision;
  // The same checks the description gets when it is read back.
  if (!parseReaderState("product = " + state.product + "\nrevision = " + state.revision + "\n"))
    return "product must be ZRB-22G or ZRB-22H and the revision four characters such as 2.00";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return "cannot create " + folder.string() + ": " + error.message();
  if (std::filesystem::exists(folder / kDescriptionFile))
    return "a reader already exists in " + folder.string();
  DeviceTable empty{};
  encodeRegionTable(empty, revisionFromText(state.revision.c_str()), state.regionTable.data());
  if (std::string e = writeFile(folder / kCommonImageFile, {}); !e.empty()) return e;
  if (std::string e = writeFile(folder / kAttributeImageFile, {}); !e.empty()) return e;
  return saveReaderState(folder, state) ? "" : "cannot write the description in " + folder.string();
}

std::string insertCard(const std::filesystem::path& folder, CardTemplate card, const InsertOptions& options) {
  if (options.size && (*options.size == 0 || *options.size > kMaxCommonSize || (*options.size & 1) ||
                       (card == CardTemplate::Ata && *options.size % 512)))
    return "the size must be even, at most 64 MiB, and whole sectors for an ATA card";
  const CardLayout layout = layoutFor(card, options.size);
  std::vector<uint8_t> common, cis = templateCis(card, layout.chips.front().size);
  uint64_t cardSize = 0;
  for (const auto& chip : layout.chips) cardSize += chip.size;
  if (options.image)
    if (std::string e =
            readFile(*options.image, common, cardSize, "the image is larger than the card's common memory");
        !e.empty())
      return e;
  if (options.cis)
    if (std::string e =
            readFile(*options.cis, cis, kAttributeSize / 2, "the CIS is larger than the attribute memory");
        !e.empty())
      return e;

  return underLock(folder, [&](ReaderState& state) -> std::string {
    state.chips = layout.chips;
    const uint32_t size = state.commonSize();
    // SRAM, EEPROM and flash come erased; an ATA card as zeroed sectors.
    common.resize(size, card == CardTemplate::Ata ? 0x00 : 0xFF);
    std::vector<uint8_t> attribute(kAttributeSize, 0xFF);
    for (size_t i = 0; i < cis.size(); ++i) attribute[2 * i] = cis[i];
    for (size_t i = 1; i < attribute.size(); i += 2) attribute[i] = 0x00;
    if (std::string e = writeFile(folder / kCommonImageFile, common); !e.empty()) return e;
    if (std::string e = writeFile(folder / kAttributeImageFile, attribute); !e.empty()) return e;
    encodeRegionTable(tableFor(layout), revisionFromText(state.revision.c_str()), state.regionTable.data());
    state.attributeSize = kAttributeSize;
    state.cardPresent = true;
    state.attentionPending = true;
    state.taskFile = {};
    state.pullAfter = 0;
    return "";
  });
}

std::string removeCard(const std::filesystem::path& folder) {
  return changeReader(folder, [](ReaderState& state) {
    state.cardPresent = false;
    state.attentionPending = false;
  });
}

std::string changeReader(const std::filesystem::path& folder,
                         const std::function<void(ReaderState&)>& change) {
  return underLock(folder, [&](ReaderState& state) {
    change(state);
    return std::string();
  });
}

std::string showReader(const std::filesystem::path& folder, std::string& text) {
  return withDescription(folder, [&](ReaderState& state) {
    text = formatReaderState(state);
    return std::string();
  });
}

}  // namespace zrb2x::virt
