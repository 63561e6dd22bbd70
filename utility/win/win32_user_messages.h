// The program's message boxes: owned by the main window, caption "tessel".
#pragma once

#include <windows.h>

#include "user_ports.h"

namespace tessel::win {

class MessageBoxes final : public UserMessages {
 public:
  void setOwner(HWND owner) { owner_ = owner; }
  void showOk(std::string_view text) override;
  bool askYesNo(std::string_view text) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace tessel::win
