// The card manager as bound, with the time spent inside its calls added up,
// the status requests apart (a loop may ask before each block whether the
// card is still there): what a transfer spends beyond them is the file side
// and the loop itself.
#pragma once

#include <chrono>

#include "binding/card_manager_calls.h"

namespace zrb::bench {

class TimingCardManager final : public cardservice::BindableCardManager {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TimingCardManager(cardservice::BindableCardManager& inner) : inner_(inner) {}
  int32_t bind() override { return inner_.bind(); }
  void unbind() override { inner_.unbind(); }
  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                 void* data) override {
    return inner_.veskcm(code, socket, space, offset, length, data);
  }
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t bufferLength) override {
    const auto start = Clock::now();
    const int32_t result = inner_.service(code, request, buffer, bufferLength);
    (code == cardservice::FN_STATUS ? inStatus : inData) += Clock::now() - start;
    return result;
  }
  Clock::duration inData{}, inStatus{};

 private:
  cardservice::BindableCardManager& inner_;
};

}  // namespace zrb::bench
