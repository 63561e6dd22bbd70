#include "win/dialog_watcher.h"

#include <chrono>

namespace zrb::test {
namespace {

struct Search {
  DWORD process;
  HWND owner;
  HWND except;
  HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window) || window == search->except) return TRUE;
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32770") != 0) return TRUE;
  if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

HWND waitForDialog(HWND owner, HWND except, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    Search search{GetCurrentProcessId(), owner, except, nullptr};
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    sleepMs(20);
  }
  return nullptr;
}

void closeDialog(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  // Without a window manager, Wine takes a while to withdraw a hidden window;
  // the dialog has ended once it is no longer visible.
  for (int i = 0; i < 500 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) sleepMs(10);
}

DialogWatcher::DialogWatcher(Inspect inspect, int button)
    : inspect_(std::move(inspect)), button_(button), thread_([this] { run(); }) {}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

void DialogWatcher::run() {
  while (!stop_) {
    HWND dialog = waitForDialog(nullptr, nullptr, 40);
    // Each dialog is closed (and gone) before the next search, so anything found is new.
    if (dialog) {
      inspect_(dialog);
      ++handled_;
      closeDialog(dialog, button_);
    }
  }
}

}  // namespace zrb::test
