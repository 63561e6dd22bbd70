// The program's help: the HTML Help viewer started as its own process, or
// the classic help call for a ".hlp" file, as decided at start-up.
#pragma once

#include <windows.h>

#include "help_choice.h"
#include "win32_owners.h"

namespace tessel::win {

class HelpViewer {
 public:
  explicit HelpViewer(HelpChoice choice) : choice_(std::move(choice)) {}
  ~HelpViewer() { close(); }
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  // Shows the help, bringing an open viewer to the front instead of starting another.
  void show(HWND owner);
  // Closes a viewer this program started. The wait for it to end is bounded:
  // a viewer that hangs must not hang the program's exit.
  void close();

  const HelpChoice& choice() const { return choice_; }

 private:
  bool startViewer();
  // True when the viewer this program started has its window (remembered, or
  // found now among its main thread's windows).
  bool lookForViewerWindow();

  HelpChoice choice_;
  HWND viewerWindow_ = nullptr;
  zrb::win::UniqueHandle process_;
  zrb::win::UniqueHandle thread_;
  DWORD threadId_ = 0;
};

}  // namespace tessel::win
