// Numbers typed by the user. The conversion follows the rules users of the
// program know: blanks around the text are ignored, an optional sign, and a
// "$" in front means hexadecimal; the value must fit 32 bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "user_ports.h"

namespace tessel {

// The plain conversion; nullopt when the text is not such a number.
// Hexadecimal takes up to eight digits and wraps into the signed range
// ("$FFFFFFFF" is -1); decimal must lie within the signed 32-bit range.
std::optional<int32_t> convertInteger(std::string_view text);

// ParseDecimal: converts, or shows error 261 and returns false.
bool parseDecimal(std::string_view text, int32_t& value, UserMessages& messages);
// ParseHex: hexadecimal without the "$"; a leading "-" negates.
bool parseHex(std::string_view text, int32_t& value, UserMessages& messages);

}  // namespace tessel
