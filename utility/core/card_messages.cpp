#include "card_messages.h"

#include <cstdio>

#include "result_codes.h"
#include "texts.h"

namespace tessel {

std::string cardErrorMessage(uint16_t code) {
  if (code == R_SUCCESS || code == R_SILENT) return {};
  char number[8];
  std::snprintf(number, sizeof number, "%02X", static_cast<unsigned>(code));
  return std::string(number) + std::string(text(sid::kCodeSeparator)) + std::string(resultText(code));
}

void showCardError(uint16_t code, UserMessages& messages) {
  std::string message = cardErrorMessage(code);
  if (!message.empty()) messages.showOk(message);
}

bool askToGoOn(UserMessages& messages, std::string_view differenceLine) {
  std::string question(text(sid::kDifferenceFound));
  question += '\r';
  question += differenceLine;
  question += '\r';
  question += text(sid::kContinueQuestion);
  return messages.askYesNo(question);
}

}  // namespace tessel
