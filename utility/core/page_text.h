// The text of a card window's three lists and the mapping between caret
// positions and byte indexes. Addresses and bytes in upper-case hexadecimal;
// the character column is a Shift-JIS aware view in which a double-byte
// character never spans two lines.
#pragma once

#include <cstdint>
#include <string>

#include "card_window_ports.h"

namespace tessel {

constexpr unsigned kPageBytes = 256;
constexpr unsigned kLineBytes = 16;
constexpr unsigned kPageLines = 16;
constexpr unsigned kDumpLineLength = 49;  // 47 characters and CR LF
constexpr unsigned kCharLineLength = 18;  // 16 characters and CR LF

std::string addressLine(uint32_t address);   // 8 digits
std::string dumpLine(const uint8_t* bytes);  // 16 bytes: "00 11 ... FF"
std::string charLine(const uint8_t* bytes);  // 16 bytes: Shift-JIS, "." for the unshowable
// `valid`: how many bytes of the page the area holds; the rest shows blank
// (an area smaller than a page, or one whose size is no multiple of 16).
LineText pageLine(uint32_t top, const uint8_t* page, unsigned k, unsigned valid = kPageBytes);
PageText pageText(uint32_t top, const uint8_t* page, unsigned valid = kPageBytes);

// Caret position -> byte index 0..255, and back (high digit in the dump list).
unsigned dumpIndexAt(unsigned position);
unsigned charIndexAt(unsigned position);
unsigned dumpPositionOf(unsigned index);
unsigned charPositionOf(unsigned index);
// Whether a dump-list position is on a byte's low digit.
bool onLowDigit(unsigned position);

}  // namespace tessel
