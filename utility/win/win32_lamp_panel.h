// The socket indicator at the right end of the toolbar: one lamp per
// socket, odd sockets in the top row and even ones in the bottom row, each
// with its number drawn over it and the socket's category as its hint.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "socket_records.h"

namespace tessel::win {

class LampPanel {
 public:
  static constexpr int kWidth = 177;
  static constexpr int kHeight = 31;

  // Creates the panel (hidden lamps) as a child of `parent` at (x, y).
  bool create(HWND parent, int x, int y);
  void moveTo(int x, int y);
  HWND window() const { return panel_; }

  // Shows and enables socket `socket`'s lamp with `hint` as its tooltip.
  void showSocket(unsigned socket, const std::wstring& hint);
  // Sets the lamp's colour (0x00BBGGRR) and repaints it.
  void setColour(unsigned socket, COLORREF colour);

 private:
  HWND panel_ = nullptr;
  HWND tooltip_ = nullptr;
  std::array<HWND, kShownSockets> lamps_{};
  std::array<std::wstring, kShownSockets> hints_;
};

}  // namespace tessel::win
