// Builds the text report of cardinfo from what the card manager answers,
// through its two entries (a bound manager, a fake, or the in-process stack).
#pragma once

#include <cstdint>
#include <string>

#include "card_manager_calls.h"
#include "card_service.h"

namespace cardinfo {

// The whole report, one line per fact, lines ended by '\n'.
std::string buildReport(cardservice::CardManagerCalls& manager);

// "present, usable, battery good, write-protected" and so on.
std::string describeStatus(uint8_t status);

}  // namespace cardinfo
