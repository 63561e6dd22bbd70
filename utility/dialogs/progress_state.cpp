#include "progress_state.h"

namespace tessel {

void ProgressState::start(uint32_t steps) {
  maximum_ = steps;
  position_ = 0;
  continue_ = true;
  active_ = true;
}

bool ProgressState::step() {
  // The bar only counts calls; an operation that takes more steps than it
  // announced keeps a full bar rather than wrapping round.
  if (position_ < maximum_) ++position_;
  return continue_;
}

}  // namespace tessel
