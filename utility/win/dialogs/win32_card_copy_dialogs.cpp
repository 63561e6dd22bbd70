// The card copy ("カードコピー") and card compare ("カードコンペア") dialogs:
// one procedure, two templates that differ only in their titles.
#include "card_copy_dialogs.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"

namespace tessel::win {
namespace {

using namespace detail;

// The destination as the model holds it: the three lists, the start it
// resets on a change and the informational end address.
void showDestination(HWND dialog, const CardCopyDialogModel& model) {
  showList(dialog, IDC_DSocketBox, model.destSocketBox());
  showList(dialog, IDC_DAttributeBox, model.destAttributeBox());
  showList(dialog, IDC_DAreaBox, model.destAreaBox());
  setControlText(dialog, IDC_DSOEdit, model.destStartText());
  setControlText(dialog, IDC_DEOAddr, model.destEndInfo());
}

void showModel(HWND dialog, const CardCopyDialogModel& model) {
  setControlText(dialog, IDC_SocketName, model.labels().socketName);
  setControlText(dialog, IDC_AttributeName, model.labels().attributeName);
  setControlText(dialog, IDC_RegionName, model.labels().regionName);
  setControlText(dialog, IDC_OffsetEdit, model.startText());
  setControlText(dialog, IDC_EOffsetEdit, model.endText());
  showDestination(dialog, model);
}

void command(HWND dialog, CardCopyDialogModel& model, int id, int notification) {
  if (notification == CBN_SELCHANGE) {
    // The destination start as typed, so that a refused socket leaves it be.
    model.setDestStartText(controlText(dialog, IDC_DSOEdit));
    int chosen = listSelection(dialog, id);
    if (id == IDC_DSocketBox) model.destSocketChange(chosen);
    if (id == IDC_DAttributeBox) model.destSpaceChange(chosen);
    if (id == IDC_DAreaBox) model.destRegionChange(chosen);
    showDestination(dialog, model);
    return;
  }
  if (id == IDC_OKBtn) {
    model.setStartText(controlText(dialog, IDC_OffsetEdit));
    model.setEndText(controlText(dialog, IDC_EOffsetEdit));
    model.setDestStartText(controlText(dialog, IDC_DSOEdit));
    // A refused OK leaves the user's texts as they are typed.
    finish(dialog, model.okBtnClick());
  } else if (id == IDC_CancelBtn) {
    EndDialog(dialog, IDCANCEL);
  }
}

INT_PTR CALLBACK cardCopyProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* model = keepContext<CardCopyDialogModel>(dialog, lParam);
      for (int edit : {IDC_OffsetEdit, IDC_EOffsetEdit, IDC_DSOEdit})
        SendDlgItemMessageW(dialog, edit, EM_LIMITTEXT, kAddressLength, 0);
      model->activate();
      showModel(dialog, *model);
      SetFocus(GetDlgItem(dialog, IDC_OKBtn));
      return FALSE;  // the focus is set
    }
    if (message == WM_COMMAND) {
      if (auto* model = context<CardCopyDialogModel>(dialog))
        command(dialog, *model, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool showCardCopyDialog(HWND owner, CardCopyDialogModel& model) {
  int layout = model.kind() == CardCopyKind::Copy ? IDD_CCopyDlog : IDD_CCompDlog;
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(layout), owner, cardCopyProcedure,
                         reinterpret_cast<LPARAM>(&model)) == IDOK;
}

}  // namespace tessel::win
