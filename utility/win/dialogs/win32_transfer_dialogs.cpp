// The file transfer dialogs: "リード" (card to file), "ライト" (file to card)
// and "コンペア" (card with file), one procedure over the model's kind.
#include "transfer_dialogs.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"

namespace tessel::win {
namespace {

using namespace detail;

struct Session {
  TransferDialogModel& model;
  FilePicker& picker;
};

int templateOf(TransferKind kind) {
  switch (kind) {
    case TransferKind::Read:
      return IDD_ReadDlog;
    case TransferKind::Write:
      return IDD_WriteDlog;
    case TransferKind::Compare:
      break;
  }
  return IDD_CompDlog;
}

// "SaveName" where the file is created, "ReadName" where it is read.
int fileNameEdit(const TransferDialogModel& model) {
  return model.kind() == TransferKind::Read ? IDC_SaveName : IDC_ReadName;
}

void showModel(HWND dialog, const TransferDialogModel& model) {
  setControlText(dialog, IDC_SocketName, model.socketName());
  setControlText(dialog, IDC_AttributeName, model.attributeName());
  setControlText(dialog, IDC_RegionName, model.regionName());
  setControlText(dialog, IDC_SAddrEdit, model.startText());
  setControlText(dialog, IDC_EAddrEdit, model.endText());
  if (model.hasOffset()) setControlText(dialog, IDC_OffsetEdit, model.offsetText());
  setControlText(dialog, fileNameEdit(model), model.fileNameText());
  showList(dialog, IDC_FileTypeBox, model.fileTypeBox());
  if (model.hasCompareOption())
    CheckDlgButton(dialog, IDC_Option, model.compareOption() ? BST_CHECKED : BST_UNCHECKED);
}

// Everything the user may have changed, into the model before it decides.
void takeControls(HWND dialog, TransferDialogModel& model) {
  model.setStartText(controlText(dialog, IDC_SAddrEdit));
  model.setEndText(controlText(dialog, IDC_EAddrEdit));
  if (model.hasOffset()) model.setOffsetText(controlText(dialog, IDC_OffsetEdit));
  model.setFileNameText(controlText(dialog, fileNameEdit(model)));
  model.fileTypeBoxChange(listSelection(dialog, IDC_FileTypeBox));
  if (model.hasCompareOption()) model.setCompareOption(IsDlgButtonChecked(dialog, IDC_Option) == BST_CHECKED);
}

void focusFileName(HWND dialog, const TransferDialogModel& model) {
  // WM_NEXTDLGCTL rather than SetFocus, so that the dialog manager also
  // moves the default button and selects the edit's text.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, fileNameEdit(model))),
               TRUE);
}

void command(HWND dialog, Session& session, int id, int notification) {
  TransferDialogModel& model = session.model;
  if (id == IDC_FileTypeBox && notification == CBN_SELCHANGE) {
    model.fileTypeBoxChange(listSelection(dialog, IDC_FileTypeBox));
  } else if (id == IDC_Sansyou) {
    model.setFileNameText(controlText(dialog, fileNameEdit(model)));
    model.browse(session.picker);
    setControlText(dialog, fileNameEdit(model), model.fileNameText());
  } else if (id == IDC_OKBtn) {
    takeControls(dialog, model);
    DialogStep step = model.okBtnClick();
    // A refused OK leaves the user's texts as they are typed.
    if (step == DialogStep::StayOpen && model.focus() == TransferFocus::FileName)
      focusFileName(dialog, model);
    finish(dialog, step);
  } else if (id == IDC_CancelBtn) {
    EndDialog(dialog, IDCANCEL);
  }
}

INT_PTR CALLBACK transferProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* session = keepContext<Session>(dialog, lParam);
      TransferDialogModel& model = session->model;
      SendDlgItemMessageW(dialog, IDC_SAddrEdit, EM_LIMITTEXT, TransferDialogModel::kAddressLength, 0);
      SendDlgItemMessageW(dialog, IDC_EAddrEdit, EM_LIMITTEXT, TransferDialogModel::kAddressLength, 0);
      if (model.hasOffset())
        SendDlgItemMessageW(dialog, IDC_OffsetEdit, EM_LIMITTEXT, TransferDialogModel::kOffsetLength, 0);
      model.activate();
      showModel(dialog, model);
      if (model.focus() == TransferFocus::FileName)
        SetFocus(GetDlgItem(dialog, fileNameEdit(model)));
      else
        SetFocus(GetDlgItem(dialog, IDC_OKBtn));
      return FALSE;  // the focus is set
    }
    if (message == WM_COMMAND) {
      if (auto* session = context<Session>(dialog)) command(dialog, *session, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool showTransferDialog(HWND owner, TransferDialogModel& model, FilePicker& picker) {
  Session session{model, picker};
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(templateOf(model.kind())), owner, transferProcedure,
                         reinterpret_cast<LPARAM>(&session)) == IDOK;
}

}  // namespace tessel::win
