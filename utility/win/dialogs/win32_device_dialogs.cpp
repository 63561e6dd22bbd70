// The device type dialog ("品種変更") and the settings dialog ("環境設定").
#include "device_dialogs.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"

namespace tessel::win {
namespace {

using namespace detail;

template <typename Model>
struct Session {
  Model& model;
  UserMessages& messages;
};

// What both dialogs do alike: the chip menu on the list and its label, list
// choices kept in the model, and OK.
template <typename Model>
bool commonMessage(HWND dialog, Session<Model>& session, UINT message, WPARAM wParam, LPARAM lParam) {
  Model& model = session.model;
  if (message == WM_CONTEXTMENU) {
    HWND control = reinterpret_cast<HWND>(wParam);
    if (control == GetDlgItem(dialog, IDC_DevBox) || control == GetDlgItem(dialog, IDC_DevLabel)) {
      trackChipMenu(dialog, GetDlgItem(dialog, IDC_DevBox), lParam);
      return true;
    }
    return false;
  }
  if (message != WM_COMMAND) return false;
  int id = LOWORD(wParam);
  uint16_t code = 0;
  if (chipCommandCode(id, code)) {
    model.devices().chooseCode(code);
    showList(dialog, IDC_DevBox, model.devices().box());
  } else if (id == IDC_DevBox && HIWORD(wParam) == CBN_SELCHANGE) {
    model.devices().choose(listSelection(dialog, IDC_DevBox));
  } else if (id == IDC_OKBtn) {
    model.devices().choose(listSelection(dialog, IDC_DevBox));
    model.setSizeText(controlText(dialog, IDC_Size));
    finish(dialog, model.okBtnClick(session.messages));
  } else if (id == IDC_CancelBtn) {
    EndDialog(dialog, IDCANCEL);
  } else {
    return false;
  }
  return true;
}

void startDialog(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_Size, EM_LIMITTEXT, kSizeLength, 0);
  SetFocus(GetDlgItem(dialog, IDC_OKBtn));
}

INT_PTR CALLBACK devProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* session = keepContext<Session<DevDialogModel>>(dialog, lParam);
      DevDialogModel& model = session->model;
      model.activate();
      setControlText(dialog, IDC_SocketName, model.socketName());
      setControlText(dialog, IDC_AttributeName, model.attributeName());
      setControlText(dialog, IDC_RegionName, model.regionName());
      showList(dialog, IDC_DevBox, model.devices().box());
      setControlText(dialog, IDC_Size, model.sizeText());
      startDialog(dialog);
      return FALSE;
    }
    if (auto* session = context<Session<DevDialogModel>>(dialog))
      return commonMessage(dialog, *session, message, wParam, lParam);
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

void showSettings(HWND dialog, const EnvSetDialogModel& model) {
  showList(dialog, IDC_DevBox, model.devices().box());
  setControlText(dialog, IDC_Size, model.sizeText());
}

INT_PTR CALLBACK envSetProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* session = keepContext<Session<EnvSetDialogModel>>(dialog, lParam);
      EnvSetDialogModel& model = session->model;
      model.activate();
      showList(dialog, IDC_SocketBox, model.socketBox());
      showSettings(dialog, model);
      startDialog(dialog);
      return FALSE;
    }
    auto* session = context<Session<EnvSetDialogModel>>(dialog);
    if (!session) return FALSE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_SocketBox) {
      if (HIWORD(wParam) == CBN_SELCHANGE) {
        session->model.socketBoxChange(listSelection(dialog, IDC_SocketBox));
        showSettings(dialog, session->model);
      }
      return TRUE;
    }
    return commonMessage(dialog, *session, message, wParam, lParam);
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool showDeviceDialog(HWND owner, DevDialogModel& model, UserMessages& messages) {
  Session<DevDialogModel> session{model, messages};
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(IDD_DevDlog), owner, devProcedure,
                         reinterpret_cast<LPARAM>(&session)) == IDOK;
}

bool showEnvSetDialog(HWND owner, EnvSetDialogModel& model, UserMessages& messages) {
  Session<EnvSetDialogModel> session{model, messages};
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(IDD_EnvSetDlog), owner, envSetProcedure,
                         reinterpret_cast<LPARAM>(&session)) == IDOK;
}

}  // namespace tessel::win
