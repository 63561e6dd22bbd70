// The card manager as its callers see it: its two entries, VESKCM (manager
// information, open and close) and SlotHubService (every card operation).
#pragma once

#include <cstdint>

#include "card_service.h"

namespace cardservice {

class CardManagerCalls {
 public:
  virtual ~CardManagerCalls() = default;
  virtual int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                         void* data) = 0;
  virtual int32_t service(uint32_t code, const SlotRequest* request, void* buffer, uint32_t bufferLength) = 0;
};

// A card manager that is bound at run time and let go again: the binding of
// the real libraries, or a test's stand-in for it.
class BindableCardManager : public CardManagerCalls {
 public:
  // CS_OK, or the failure that left an entry unbound.
  virtual int32_t bind() = 0;
  // Closes and lets go of whatever is bound; safe to call again.
  virtual void unbind() = 0;
};

}  // namespace cardservice
