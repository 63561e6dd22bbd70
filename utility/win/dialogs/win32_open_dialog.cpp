// The open card dialog ("開く").
#include "open_dialog.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"

namespace tessel::win {
namespace {

using namespace detail;

void showModel(HWND dialog, const OpenDialogModel& model) {
  showList(dialog, IDC_SocketBox, model.socketBox());
  showList(dialog, IDC_AttributeBox, model.attributeBox());
  showList(dialog, IDC_AreaBox, model.areaBox());
  setControlText(dialog, IDC_OffsetEdit, model.offsetText());
}

void command(HWND dialog, OpenDialogModel& model, int id, int notification) {
  if (notification == CBN_SELCHANGE) {
    int chosen = listSelection(dialog, id);
    if (id == IDC_SocketBox) model.socketBoxChange(chosen);
    if (id == IDC_AttributeBox) model.attributeBoxChange(chosen);
    if (id == IDC_AreaBox) model.areaBoxChange(chosen);
    if (id != IDC_AreaBox) showModel(dialog, model);
    return;
  }
  if (id == IDC_OKBtn) {
    model.setOffsetText(controlText(dialog, IDC_OffsetEdit));
    model.areaBoxChange(listSelection(dialog, IDC_AreaBox));
    finish(dialog, model.okBtnClick());
  } else if (id == IDC_CancelBtn) {
    EndDialog(dialog, IDCANCEL);
  }
}

INT_PTR CALLBACK openProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* model = keepContext<OpenDialogModel>(dialog, lParam);
      SendDlgItemMessageW(dialog, IDC_OffsetEdit, EM_LIMITTEXT, OpenDialogModel::kOffsetLength, 0);
      model->activate();
      showModel(dialog, *model);
      SetFocus(GetDlgItem(dialog, IDC_OKBtn));
      return FALSE;  // the focus is set
    }
    if (message == WM_COMMAND) {
      if (auto* model = context<OpenDialogModel>(dialog))
        command(dialog, *model, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool showOpenDialog(HWND owner, tessel::CardAccess& access) {
  OpenDialogModel model(access);
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(IDD_OpenDlog), owner, openProcedure,
                         reinterpret_cast<LPARAM>(&model)) == IDOK;
}

}  // namespace tessel::win
