// Whether a long command's card is still in its socket. The progress window
// lets the status poll and the user act between blocks, so the card may be
// gone by the next block: a command must stop with "card removed" rather
// than pile up card errors or, with another card in the slot by then, write
// into the wrong card.
#pragma once

#include <cstdint>

#include "card_access.h"

namespace tessel {

// R_SUCCESS while the socket table shows a card in `socket`, R_CARD_REMOVED
// once the status poll has seen it go. Asked before every block, it reads
// the table rather than the card: a status request per block costs a third
// of a transfer's speed through the service. A card pulled since the last
// poll is caught by the next card call's failure (see removalAware).
// Sockets beyond the table are left to the card calls.
uint16_t cardStillThere(const CardAccess& access, uint8_t socket);

// A card call's result as a command reports it: R_CARD_REMOVED when the call
// failed because the card is gone. The accessor answers a data call on an
// empty socket with a read or write error, so a failure other than "no
// card" is checked with one status request; success costs nothing.
uint16_t removalAware(CardAccess& access, uint8_t socket, uint16_t cardResult);

// The end of a loop that wrote to `socket`: an ATA card holds written
// sectors in its cache, so what was written, also before a failure or a
// stop, is flushed (other cards answer at once). A card that is gone has
// nothing to flush. A flush that fails is the command's result when nothing
// failed before it: the data did not all reach the card.
uint16_t flushAfterWriting(CardAccess& access, uint8_t socket, uint16_t loopResult);

}  // namespace tessel
