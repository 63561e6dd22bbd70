// The progress window's state, kept apart from the window that shows it: the
// continue flag the operation polls at every step, the progress-active flag
// the card windows consult, and the bar's position.
#pragma once

#include <cstdint>

namespace tessel {

class ProgressState {
 public:
  // An operation of `steps` steps begins: the bar is empty, stop not chosen,
  // and the main window must be disabled until close().
  void start(uint32_t steps);
  // One step done; false once the user chose stop.
  bool step();
  // The stop button, and equally the window's close box: the operation is
  // told to end at its next step. The window itself stays until the
  // operation calls close(), so the main window is not given back while the
  // operation still runs its loop.
  void stop() { continue_ = false; }
  // The operation has returned: the main window may take input again.
  void close() { active_ = false; }

  bool continuing() const { return continue_; }
  bool active() const { return active_; }
  bool ownerEnabled() const { return !active_; }
  uint32_t position() const { return position_; }
  uint32_t maximum() const { return maximum_; }

 private:
  bool continue_ = true;
  bool active_ = false;
  uint32_t position_ = 0;
  uint32_t maximum_ = 0;
};

}  // namespace tessel
