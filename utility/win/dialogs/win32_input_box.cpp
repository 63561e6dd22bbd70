// The input box ("ジャンプ"): one line of text, unchecked.
#include "texts.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

using namespace detail;

INT_PTR CALLBACK inputProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* field = keepContext<std::string>(dialog, lParam);
      SetWindowTextW(dialog, zrb::win::utf8ToWide(text(sid::kJumpCaption)).c_str());
      setControlText(dialog, IDC_InpLabel, text(sid::kJumpLabel));
      setControlText(dialog, IDC_InpData, *field);
      HWND edit = GetDlgItem(dialog, IDC_InpData);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;
    }
    if (message == WM_COMMAND) {
      int id = LOWORD(wParam);
      if (id == IDOK) {
        *context<std::string>(dialog) = controlText(dialog, IDC_InpData);
        EndDialog(dialog, IDOK);
      } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool showInputBox(HWND owner, std::string& text) {
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(IDD_InputDlog), owner, inputProcedure,
                         reinterpret_cast<LPARAM>(&text)) == IDOK;
}

}  // namespace tessel::win
