// The card manager as bound, with the time spent inside its calls added up,
// the status requests apart (a loop may ask before each block whether the
// card is still there): what a transfer spends beyond them is the file side
// and the loop itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

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

// One timed pass over a card: all of it and the parts inside the card
// manager's data and status calls.
struct Pass {
  double seconds = 0;
  double dataSeconds = 0;
  double statusSeconds = 0;
};

// The fastest of the rounds: the one the other programs on the machine
// disturbed least. Empty once any round failed.
struct Best {
  std::optional<Pass> pass;
  bool failed = false;
  void add(const std::optional<Pass>& next) {
    if (!next) failed = true;
    if (failed)
      pass.reset();
    else if (!pass || next->seconds < pass->seconds)
      pass = next;
  }
  std::optional<double> rate(uint32_t size) const {
    if (!pass) return std::nullopt;
    return size / 1e6 / pass->seconds;
  }
};

// `run` timed, with the time `cards` spent inside its calls meanwhile;
// nothing when it failed.
inline std::optional<Pass> timed(const TimingCardManager& cards, const std::function<bool()>& run) {
  using Seconds = std::chrono::duration<double>;
  const auto dataBefore = cards.inData, statusBefore = cards.inStatus;
  const auto start = TimingCardManager::Clock::now();
  if (!run()) return std::nullopt;
  return Pass{Seconds(TimingCardManager::Clock::now() - start).count(),
              Seconds(cards.inData - dataBefore).count(), Seconds(cards.inStatus - statusBefore).count()};
}

}  // namespace zrb::bench
