// The system clipboard as the card window's copy and paste use it: plain
// Unicode text, converted from and to the Shift-JIS of the character list.
#pragma once

#include <windows.h>

#include "command_ports.h"

namespace tessel::win {

class Win32Clipboard final : public tessel::Clipboard {
 public:
  explicit Win32Clipboard(HWND owner) : owner_(owner) {}
  void setText(std::string_view text) override;
  std::string text() override;

 private:
  HWND owner_;
};

}  // namespace tessel::win
