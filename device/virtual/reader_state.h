// What a virtual reader-writer is, as its description file (reader.txt)
// records it: the reader itself, the card in its slot, the region table it
// keeps for the slot (in its own 42-byte format) and the injected faults.
// Every process that uses the reader reads and writes this file under the
// reader's lock, so they all see one reader.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrb2x::virt {

enum class Battery : uint8_t { Good, Low, Dead };
enum class ChipType : uint8_t { Sram, Eeprom, Flash, Ata };

// One stretch of the card's common memory made of one kind of chip.
struct ChipSegment {
  ChipType type = ChipType::Sram;
  uint32_t chipId = 0;  // flash only
  uint32_t size = 0;
};

struct ReaderState {
  std::string product = "ZRB-22G";
  std::string revision = "2.00";  // four characters, as inquiry reports them
  bool cardPresent = false;
  bool writeProtect = false;
  Battery battery = Battery::Good;
  bool ready = true;
  bool attentionPending = false;  // a card change not yet reported
  std::array<uint8_t, 42> regionTable{};
  std::vector<ChipSegment> chips;  // the card's common memory, in address order
  uint32_t attributeSize = 0;      // bytes of attribute memory address space
  std::array<uint8_t, 8> taskFile{};
  uint32_t lastSense = 0;
  // Fault injection and timing.
  uint32_t failAfter = 0;  // the Nth command from now fails; 0 = off
  uint32_t failResult = 0x44000004;
  uint32_t pullAfter = 0;      // the card is pulled after N more commands; 0 = off
  uint32_t throughput = 0;     // bytes per second of data phases; 0 = unlimited
  uint32_t lockWaitMs = 8000;  // how long acquire keeps trying
  // Firmware download in progress and the outcome of the last one.
  bool downloadPending = false;
  uint32_t downloadLength = 0;
  uint32_t downloadCrc = 0;
  std::string lastDownload = "none";

  uint32_t commonSize() const;
  bool isAtaCard() const { return !chips.empty() && chips.front().type == ChipType::Ata; }
};

std::optional<ReaderState> parseReaderState(std::string_view text);
std::string formatReaderState(const ReaderState& state);

const char* batteryName(Battery battery);
std::optional<Battery> batteryFromName(std::string_view name);
const char* chipTypeName(ChipType type);

}  // namespace zrb2x::virt
