// The card utility's texts, from the one table that also becomes the
// program's string resources. The portable core works in UTF-8; the windows
// turn a text into UTF-16 at the moment they show it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tessel_strings_ids.h"

namespace tessel {

// The text of string resource `id`; empty when the table has none.
std::string_view text(uint16_t id);

// The message-table text of a result code (its own row, else "Error Code").
std::string_view resultText(uint16_t code);

}  // namespace tessel
