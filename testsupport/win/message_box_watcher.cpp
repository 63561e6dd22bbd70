#include "win/message_box_watcher.h"

#include <windows.h>

#include <chrono>

namespace zrb::test {
namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

std::wstring windowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The message text of a message box is its static control with id 0xFFFF.
std::wstring messageText(HWND dialog) {
  HWND label = GetDlgItem(dialog, 0xFFFF);
  return label ? windowText(label) : std::wstring();
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int pressButton)
    : pressButton_(pressButton), thread_([this] { run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
}

void MessageBoxWatcher::run() {
  while (!stop_) {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      {
        std::lock_guard lock(mutex_);
        seen_.push_back({windowText(search.found), messageText(search.found)});
      }
      PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(pressButton_, BN_CLICKED), 0);
      // Give the box time to go before looking again, so it is counted once.
      for (int i = 0; i < 50 && IsWindow(search.found) && IsWindowVisible(search.found); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<SeenMessageBox> MessageBoxWatcher::seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

void MessageBoxWatcher::clear() {
  std::lock_guard lock(mutex_);
  seen_.clear();
}

}  // namespace zrb::test
