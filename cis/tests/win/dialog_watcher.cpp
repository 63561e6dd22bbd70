#include "dialog_watcher.h"

#include <chrono>
#include <vector>

#include "win32_support.h"

namespace cis::test {
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

void closeDialog(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  // Without a window manager, Wine takes a while to withdraw a hidden window;
  // the dialog has ended once it is no longer visible.
  for (int i = 0; i < 500 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) sleepMs(10);
}

std::string controlText(HWND window) {
  if (!window) return "<no control>";
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return win::narrow(text);
}

std::string itemText(HWND dialog, int id) { return controlText(GetDlgItem(dialog, id)); }

std::string listItem(HWND list, int index, bool combo) {
  LRESULT length = SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
  if (length < 0) return "<no item>";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return win::narrow(text);
}

DialogWatcher::DialogWatcher(Inspect inspect) : inspect_(std::move(inspect)), thread_([this] { run(); }) {}

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
      closeDialog(dialog);
    }
  }
}

}  // namespace cis::test
