// The lines of a printed listing of a card range: per 16 bytes the address,
// the bytes in hexadecimal and the bytes as characters, e.g.
//   00000100 | 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP
// The printer (a text device) is the windows' business; this decides what
// it prints and reads the card for it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card_access.h"

namespace tessel {

// One line of 1 to 16 bytes. A line of fewer than 16 bytes (only ever the
// last of a range) keeps the columns: the missing bytes are blanks, so the
// bar and the characters stand where they stand on every other line.
std::string printLine(uint32_t address, std::span<const uint8_t> bytes);

// The lines of `bytes` read at `address`, 16 bytes a line, the last line
// shorter when the count is no multiple of 16.
std::vector<std::string> printLines(uint32_t address, std::span<const uint8_t> bytes);

// Reads [start, start + length) of an area in 64 KiB blocks and hands each
// line to `print`. Every requested byte is printed: a range whose length is
// no multiple of 16 ends with a shorter line rather than losing its last
// bytes. Returns R_SUCCESS, the result of a failed read (the listing stops
// there), or R_SILENT once `print` answers false: the printer failed and
// the print layer reports that itself.
uint16_t printRange(CardAccess& access, const cardservice::SlotRequest& area, uint32_t start, uint32_t length,
                    const std::function<bool(std::string_view line)>& print);

}  // namespace tessel
