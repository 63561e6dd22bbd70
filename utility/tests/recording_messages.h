// What the core showed the user, in order, for tests to compare.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "user_ports.h"

namespace tessel::test {

class RecordingMessages final : public UserMessages {
 public:
  void showOk(std::string_view text) override { shown.emplace_back(text); }
  bool askYesNo(std::string_view text) override {
    shown.emplace_back(text);
    return answerYes;
  }

  std::vector<std::string> shown;
  bool answerYes = true;
};

}  // namespace tessel::test
