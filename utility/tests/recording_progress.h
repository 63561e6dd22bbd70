// A progress window that records what an operation told it and stops or
// acts when a test says so.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "user_ports.h"

namespace tessel::test {

class RecordingProgress final : public Progress {
 public:
  void start(uint32_t steps, std::string_view text) override {
    ++starts;
    maximum = steps;
    caption = text;
  }
  void setPosition(std::string_view text) override { positions.emplace_back(text); }
  bool step() override {
    ++steps;
    return onStep ? onStep(steps) : true;
  }
  void close() override { ++closes; }

  int starts = 0, steps = 0, closes = 0;
  uint32_t maximum = 0;
  std::string caption;
  std::vector<std::string> positions;
  // Called with the number of steps so far; false stops the operation.
  std::function<bool(int)> onStep;
};

}  // namespace tessel::test
