// Builds the text report of cardinfo from what the card manager answers,
// through a small interface so the report is tested without a manager.
#pragma once

#include <cstdint>
#include <string>

#include "card_service.h"

namespace cardinfo {

class CardServiceCalls {
 public:
  virtual ~CardServiceCalls() = default;
  virtual int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                         void* data) = 0;
  virtual int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                          uint32_t bufferLength) = 0;
};

// The whole report, one line per fact, lines ended by '\n'.
std::string buildReport(CardServiceCalls& manager);

// "present, usable, battery good, write-protected" and so on.
std::string describeStatus(uint8_t status);

}  // namespace cardinfo
