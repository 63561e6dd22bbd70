// The library's string table as Shift-JIS bytes, and the small text helpers
// every decoder and viewer uses: formats from the table, Shift-JIS-aware
// truncation into caller buffers, line splitting and joining.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cis_strings_ids.h"

namespace cis {

// The text of string resource `id` (Shift-JIS); empty when the table has none.
std::string_view text(uint16_t id);
// Whether the table holds `id` at all (an empty text and a missing one differ).
bool hasText(uint16_t id);

// vsnprintf with the table's string `id` as the format. Arguments must match
// the format's conversions exactly (%u unsigned, %lu/%lX unsigned long, %c int).
std::string format(unsigned id, ...);

// True for the first byte of a Shift-JIS double-byte character.
constexpr bool isLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length of the longest prefix of `text` of at most `limit` bytes that does not
// split a double-byte character.
std::size_t fittingLength(std::string_view text, std::size_t limit);

// Writes at most `limit` text bytes (never half a character) and a NUL into
// `buffer`; returns `buffer`. A null buffer is left alone.
char* putText(char* buffer, std::size_t limit, std::string_view text);

std::vector<std::string> splitLines(std::string_view text);  // at '\n'
std::string join(const std::vector<std::string>& pieces, std::string_view separator);

}  // namespace cis
