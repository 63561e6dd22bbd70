// The progress window ("中止" to stop a long operation).
#include <windows.h>
// After windows.h, on which it builds.
#include <commctrl.h>

#include "win32_dialog_support.h"
#include "win32_dialogs.h"
#include "win32_text.h"

namespace tessel::win {

using detail::setControlText;

Gages::Gages(HWND mainWindow) : main_(mainWindow) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  dialog_ = CreateDialogParamW(dialogModule(), MAKEINTRESOURCEW(IDD_Gages), mainWindow, procedure,
                               reinterpret_cast<LPARAM>(this));
}

Gages::~Gages() {
  if (state_.active()) close();
  if (dialog_) DestroyWindow(dialog_);
}

INT_PTR CALLBACK Gages::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    detail::keepContext<Gages>(dialog, lParam);
    return TRUE;
  }
  auto* gages = detail::context<Gages>(dialog);
  if (!gages) return FALSE;
  // The close box and Escape mean what the stop button means. The window
  // stays: it goes when the operation has ended and calls close(), which is
  // also what gives the main window back.
  if (message == WM_CLOSE ||
      (message == WM_COMMAND && (LOWORD(wParam) == IDC_Button1 || LOWORD(wParam) == IDCANCEL))) {
    gages->state_.stop();
    return TRUE;
  }
  return FALSE;
}

void Gages::start(uint32_t steps, std::string_view caption) {
  state_.start(steps);
  if (!dialog_) return;
  SetWindowTextW(dialog_, zrb::win::utf8ToWide(caption).c_str());
  HWND bar = GetDlgItem(dialog_, IDC_ProgressBar1);
  SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(steps));
  SendMessageW(bar, PBM_SETSTEP, 1, 0);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  setControlText(dialog_, IDC_ProcessText, "");
  if (main_) EnableWindow(main_, FALSE);
  ShowWindow(dialog_, SW_SHOW);
  RedrawWindow(GetDlgItem(dialog_, IDC_Button1), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Gages::setPosition(std::string_view text) {
  if (dialog_) setControlText(dialog_, IDC_ProcessText, text);
}

void Gages::pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: stop the operation and leave the quit for the
      // main message loop.
      state_.stop();
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!IsDialogMessageW(dialog_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

bool Gages::step() {
  state_.step();
  if (!dialog_) return state_.continuing();
  SetFocus(GetDlgItem(dialog_, IDC_Button1));
  SendDlgItemMessageW(dialog_, IDC_ProgressBar1, PBM_SETPOS, state_.position(), 0);
  UpdateWindow(GetDlgItem(dialog_, IDC_ProcessName));
  UpdateWindow(GetDlgItem(dialog_, IDC_ProcessText));
  pumpMessages();
  return state_.continuing();
}

void Gages::close() {
  state_.close();
  // The main window is enabled before the progress window hides, so that
  // activation returns to it and not to another program.
  if (main_) EnableWindow(main_, TRUE);
  if (dialog_) ShowWindow(dialog_, SW_HIDE);
}

}  // namespace tessel::win
