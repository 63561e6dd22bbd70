#include "win32_help_viewer.h"

#include <string>

#include "win32_text.h"

namespace tessel::win {
namespace {

constexpr DWORD kViewerStartMs = 256;
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
  EnumThreadWindows(threadId_, &findViewerWindow, reinterpret_cast<LPARAM>(&viewerWindow_));
  return true;
}

void HelpViewer::show(HWND owner) {
  std::wstring file = zrb::win::utf8ToWide(choice_.file);
  if (!choice_.classic && viewerWindow_ && IsWindow(viewerWindow_)) {
    if (IsIconic(viewerWindow_)) SendMessageW(viewerWindow_, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(viewerWindow_);
    return;
  }
  if (choice_.classic || !startViewer()) WinHelpW(owner, file.c_str(), kHelpFinder, 0);
}

void HelpViewer::close() {
  if (viewerWindow_ && IsWindow(viewerWindow_)) PostMessageW(viewerWindow_, WM_CLOSE, 0, 0);
  viewerWindow_ = nullptr;
  if (process_) WaitForSingleObject(process_.get(), kViewerEndMs);
  process_.reset();
  thread_.reset();
}

}  // namespace tessel::win
