#include "card_presence.h"

#include "result_codes.h"

namespace tessel {

uint16_t cardStillThere(const CardAccess& access, uint8_t socket) {
  if (socket >= kShownSockets) return R_SUCCESS;
  return cardPresent(access.sockets().state[socket]) ? uint16_t{R_SUCCESS} : uint16_t{R_CARD_REMOVED};
}

uint16_t removalAware(CardAccess& access, uint8_t socket, uint16_t cardResult) {
  if (cardResult == R_SUCCESS) return R_SUCCESS;
  if (cardResult == cardservice::CS_NO_CARD) return R_CARD_REMOVED;
  uint8_t status = 0;
  const uint16_t asked = access.cardStatus(socket, status);
  if (asked == cardservice::CS_NO_CARD || (asked == R_SUCCESS && !cardPresent(status))) return R_CARD_REMOVED;
  return cardResult;
}

uint16_t flushAfterWriting(CardAccess& access, uint8_t socket, uint16_t loopResult) {
  if (loopResult == R_CARD_REMOVED) return loopResult;
  const uint16_t flushed = removalAware(access, socket, access.cardFlush(socket));
  return loopResult == R_SUCCESS ? flushed : loopResult;
}

}  // namespace tessel
