// Searching a card window's area for a byte pattern, or for a place where it
// does not occur, in either direction; and the range the repeat commands
// (F3, F4) search from the caret.
//
// A search finds windows of k bytes (k = the pattern's length) that lie
// wholly inside [start, end], the nearest one first: the lowest for a
// forward search, the highest for a backward one. A match is a window equal
// to the pattern; a mismatch a window in which every byte differs from the
// pattern's byte at its position. The address reported is the window's first
// byte, except for a backward match, which reports its last byte so that
// the caret stands where the user's eye arrives from above.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "card_command_context.h"

namespace tessel {

// The options byte of the search dialog (the same bits as its model).
constexpr uint8_t kSearchBackward = 0x01;
constexpr uint8_t kSearchMismatch = 0x02;
constexpr unsigned kMaxSearchPattern = 16;

struct SearchBounds {
  uint32_t start = 0;
  uint32_t end = 0;  // inclusive
  uint8_t options = 0;
};

// Runs the search over the window's area with the progress window.
// R_SUCCESS with `found` set; R_NOT_FOUND (also when the range is shorter
// than the pattern); R_STOPPED; R_PARAMETER for end < start or a pattern of
// 0 or more than 16 bytes; a card result when a read fails.
uint16_t searchRange(CommandContext& context, const SearchBounds& bounds, std::span<const uint8_t> pattern,
                     uint32_t& found);

enum class RepeatDirection { Forward, Backward };

// The search a repeat command runs from the caret address: forwards, the
// nearest window reported after the caret; backwards, the nearest one
// reported before it. The mismatch bit of `options` stays, the direction
// bit is set by the command. nullopt when no window fits between the caret
// and the area's edge: the command shows "not found" without reading.
std::optional<SearchBounds> repeatSearchBounds(RepeatDirection direction, uint8_t options,
                                               uint32_t caretAddress, uint32_t areaSize,
                                               unsigned patternLength);

}  // namespace tessel
