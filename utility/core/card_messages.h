// How a result code reaches the user: its code in upper-case hexadecimal,
// " : " and the message-table text, in the program's message box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "user_ports.h"

namespace tessel {

// The message of `code`, or empty for the codes that show nothing (0, 31).
std::string cardErrorMessage(uint16_t code);

// ShowCardError.
void showCardError(uint16_t code, UserMessages& messages);

// The compares' question at a difference: "相違が見つかりました ", the
// difference's own line and "続けますか？", each on a line of its own.
// True when the user chose to go on.
bool askToGoOn(UserMessages& messages, std::string_view differenceLine);

}  // namespace tessel
