// Whether a long command's card is still in its socket. The progress window
// lets the status poll and the user act between blocks, so the card may be
// gone by the next block: a command must stop with "card removed" rather
// than pile up card errors or, with another card in the slot by then, write
// into the wrong card.
#pragma once

#include <cstdint>

#include "card_access.h"

namespace tessel {

// R_SUCCESS while the socket shows a card, R_CARD_REMOVED once it does not.
// A status call failing for another reason leaves the decision to the card
// calls themselves.
uint16_t cardStillThere(CardAccess& access, uint8_t socket);

// A card call's result as a command reports it: "no card" means the card was removed.
uint16_t removalAware(uint16_t cardResult);

}  // namespace tessel
