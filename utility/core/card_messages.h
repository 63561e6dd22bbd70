// How a result code reaches the user: its code in upper-case hexadecimal,
// " : " and the message-table text, in the program's message box.
#pragma once

#include <cstdint>
#include <string>

#include "user_ports.h"

namespace tessel {

// The message of `code`, or empty for the codes that show nothing (0, 31).
std::string cardErrorMessage(uint16_t code);

// ShowCardError.
void showCardError(uint16_t code, UserMessages& messages);

}  // namespace tessel
