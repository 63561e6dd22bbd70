#include "win32_help_viewer.h"

#include <string>

#include "win32_text.h"

namespace tessel::win {
namespace {

constexpr DWORD kViewerStartMs = 256;
// A viewer started cold (Wine's takes about half a second) may have no window
// yet after the first wait: it is looked for again, for this long at most, so
// that the next request finds it instead of starting a second viewer.
constexpr DWORD kViewerWindowMs = 5000;
constexpr DWORD kViewerPollMs = 50;
constexpr DWORD kViewerEndMs = 5000;
constexpr UINT kHelpFinder = 11;  // HELP_FINDER

BOOL CALLBACK findViewerWindow(HWND window, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (std::wstring(className) == L"HH Parent") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool HelpViewer::startViewer() {
  std::wstring command = zrb::win::utf8ToWide(choice_.command);
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  process_.reset(process.hProcess);
  thread_.reset(process.hThread);
  threadId_ = process.dwThreadId;
  Sleep(kViewerStartMs);
  viewerWindow_ = nullptr;
  for (DWORD waited = 0; !lookForViewerWindow() && waited < kViewerWindowMs; waited += kViewerPollMs)
    if (WaitForSingleObject(process_.get(), kViewerPollMs) == WAIT_OBJECT_0) break;
  return true;
}

bool HelpViewer::lookForViewerWindow() {
  if (viewerWindow_ && IsWindow(viewerWindow_)) return true;
  viewerWindow_ = nullptr;
  if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return false;
  EnumThreadWindows(threadId_, &findViewerWindow, reinterpret_cast<LPARAM>(&viewerWindow_));
  return viewerWindow_ != nullptr;
}

void HelpViewer::show(HWND owner) {
  std::wstring file = zrb::win::utf8ToWide(choice_.file);
  // A viewer still running whose window showed late is found now.
  if (!choice_.classic && lookForViewerWindow()) {
    if (IsIconic(viewerWindow_)) SendMessageW(viewerWindow_, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(viewerWindow_);
    return;
  }
  if (choice_.classic || !startViewer()) WinHelpW(owner, file.c_str(), kHelpFinder, 0);
}

void HelpViewer::close() {
  if (lookForViewerWindow()) PostMessageW(viewerWindow_, WM_CLOSE, 0, 0);
  viewerWindow_ = nullptr;
  if (process_) WaitForSingleObject(process_.get(), kViewerEndMs);
  process_.reset();
  thread_.reset();
}

}  // namespace tessel::win
