// The block loops of the card window's range and card-to-card commands:
// erase, erase check, fill, move, copy to a card and compare with a card.
// Each runs on the window's area with the progress window and returns the
// 16-bit result that the window's error gate shows.
#pragma once

#include <cstdint>
#include <span>

#include "card_command_context.h"

namespace tessel {

// Where a card-to-card command copies to or compares with.
struct CardDestination {
  uint8_t socket = 0;
  uint8_t space = 0;   // 0 common, 1 attribute
  uint8_t region = 0;  // common-memory region; selected as region AND 3
  uint32_t start = 0;
};

// The block an erase works in: whole blocks for SRAM and ATA, 512 bytes for
// EEPROM, the chip's erase block for everything else.
uint32_t eraseBlockFor(const CommandArea& area);

uint16_t eraseRange(CommandContext& context, uint32_t start, uint32_t length);
// Reports the first byte that is not 0xFF; that is a finding, not a failure.
uint16_t eraseCheckRange(CommandContext& context, uint32_t start, uint32_t length);
// Fills start..end (inclusive) with `pattern` (1 to 16 bytes) repeated
// without a seam from block to block.
uint16_t fillRange(CommandContext& context, uint32_t start, uint32_t end, std::span<const uint8_t> pattern);
// Copies within the area; source and destination may overlap.
uint16_t moveRange(CommandContext& context, uint32_t start, uint32_t length, uint32_t destination);
uint16_t cardToCard(CommandContext& context, uint32_t start, uint32_t length,
                    const CardDestination& destination);
uint16_t compareCards(CommandContext& context, uint32_t start, uint32_t length,
                      const CardDestination& destination);

}  // namespace tessel
