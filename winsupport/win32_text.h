// Text between the encodings the suite meets: UTF-8 (sources, tables, file
// names in the portable core), UTF-16 (the wide window API) and Shift-JIS,
// code page 932 (every text an export hands back in a char buffer, and card
// bytes shown as characters), whatever the system's ANSI code page is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zrb::win {

constexpr unsigned kShiftJisCodePage = 932;

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
std::wstring shiftJisToWide(std::string_view sjis);
// Characters Shift-JIS cannot hold become '?'.
std::string wideToShiftJis(std::wstring_view wide);
// For text that becomes data: nothing when any character has no Shift-JIS
// spelling of its own (no '?', no look-alike).
std::optional<std::string> wideToShiftJisExactly(std::wstring_view wide);

// Writes `wide` as Shift-JIS into `out` (capacity bytes, a terminating zero
// included) and returns the bytes written before the zero. A text that does
// not fit is cut at a character boundary, never inside a double-byte
// character. Nothing is written when capacity is 0.
size_t copyShiftJis(std::wstring_view wide, char* out, size_t capacity);

}  // namespace zrb::win
