#include "card_presence.h"

#include "result_codes.h"

namespace tessel {

uint16_t cardStillThere(CardAccess& access, uint8_t socket) {
  uint8_t status = 0;
  const uint16_t result = access.cardStatus(socket, status);
  if (result == cardservice::CS_NO_CARD || (result == R_SUCCESS && !cardPresent(status)))
    return R_CARD_REMOVED;
  return R_SUCCESS;
}

uint16_t removalAware(uint16_t cardResult) {
  return cardResult == cardservice::CS_NO_CARD ? static_cast<uint16_t>(R_CARD_REMOVED) : cardResult;
}

}  // namespace tessel
