// The card utility's start: one instance per logon. A second start brings
// the running instance's window to the front, restored if minimised, and
// ends at once.
#include <windows.h>
// After windows.h, on which it builds.
#include <commctrl.h>

#include "win32_main_window.h"
#include "win32_owners.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"TesselMutex";

void bringRunningInstanceForward() {
  HWND running = FindWindowW(tessel::win::kMainWindowClass, nullptr);
  if (!running) return;
  SetForegroundWindow(running);
  HWND owner = GetWindow(running, GW_OWNER);
  HWND restore = owner ? owner : running;
  if (IsIconic(restore)) SendMessageW(restore, WM_SYSCOMMAND, SC_RESTORE, 0);
}

int run(HINSTANCE instance, int show) {
  if (zrb::win::UniqueHandle running(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex)); running) {
    bringRunningInstanceForward();
    return 0;
  }
  zrb::win::UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  zrb::win::MutexHold held(instanceMutex.get());

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return tessel::win::runMainWindow(instance, show);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  try {
    return run(instance, show);
  } catch (...) {
    return 1;
  }
}
