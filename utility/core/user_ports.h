// The small interfaces through which the portable core reaches the user.
// The windows implement them with message boxes and the progress window;
// tests implement them with recorders.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessel {

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  // A message box owned by the main window, caption "tessel", OK button.
  virtual void showOk(std::string_view text) = 0;
  // The same with Yes and No; true when the user chose Yes.
  virtual bool askYesNo(std::string_view text) = 0;
};

// A long operation's progress window with its stop button.
class Progress {
 public:
  virtual ~Progress() = default;
  // Shows the window with `caption` and a bar of `steps` steps.
  virtual void start(uint32_t steps, std::string_view caption) = 0;
  // The address (or other position) being processed.
  virtual void setPosition(std::string_view text) = 0;
  // Advances the bar and lets the user act; false once stop was chosen.
  virtual bool step() = 0;
  virtual void close() = 0;
};

}  // namespace tessel
