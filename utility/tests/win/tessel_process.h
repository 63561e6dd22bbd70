// tessel.exe started by a test as the user starts it, and found again by its
// windows: the frame by class "Tmainwindow", dialogs by class "#32770" in its
// process, controls by their identifiers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32_owners.h"

namespace tessel::test {

class TesselProcess {
 public:
  // Starts `program` (tessel.exe by full path) and waits for its main window.
  explicit TesselProcess(const std::string& program);
  // Closes the program (WM_CLOSE, then terminates it if it does not end).
  ~TesselProcess();
  TesselProcess(const TesselProcess&) = delete;
  TesselProcess& operator=(const TesselProcess&) = delete;

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  HWND frame() const { return frame_; }
  // True once the process ended within `ms`; its exit code in `code`.
  bool waitForExit(DWORD ms, DWORD* code = nullptr);

  // A visible dialog of this process other than `except`; null after `ms`.
  HWND waitForDialog(int ms = 10000, HWND except = nullptr) const;
  // The same, with the caption `caption` ("tessel" for the program's
  // message boxes, a dialog's own caption for a dialog).
  HWND waitForDialog(const wchar_t* caption, int ms = 10000, HWND except = nullptr) const;
  // A child window of the frame's toolbar or panel with identifier `id`.
  HWND control(int id) const;
  // A window of `className` among the MDI client's children.
  std::vector<HWND> cardWindows() const;

 private:
  zrb::win::UniqueHandle process_;
  zrb::win::UniqueHandle thread_;
  DWORD id_ = 0;
  HWND frame_ = nullptr;
};

// The window of class "Tmainwindow" of process `id`, or null.
HWND findFrame(DWORD id);
std::wstring windowText(HWND window);
// The text of a message box's message.
std::wstring messageBoxText(HWND box);
// Polls `condition` every 50 ms until it holds or `ms` passed.
template <typename Condition>
bool waitUntil(Condition condition, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace tessel::test
