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

}  // namespace cardservice
