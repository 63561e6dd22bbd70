// The card windows' commands show their dialogs through this: each one
// modal over the main window, the browse buttons on the system's file dialogs.
#pragma once

#include <windows.h>

#include "command_dialogs.h"
#include "win32_dialogs.h"

namespace tessel::win {

class Win32DialogPresenter final : public DialogPresenter {
 public:
  Win32DialogPresenter(HWND owner, UserMessages& messages)
      : owner_(owner), messages_(messages), picker_(owner) {}

  bool showTransfer(TransferDialogModel& model) override {
    return showTransferDialog(owner_, model, picker_);
  }
  bool showErase(EraseDialogModel& model) override { return showEraseDialog(owner_, model); }
  bool showEraseCheck(ECheckDialogModel& model) override { return showECheckDialog(owner_, model); }
  bool showFill(FillDialogModel& model) override { return showFillDialog(owner_, model); }
  bool showMove(MoveDialogModel& model) override { return showMoveDialog(owner_, model); }
  bool showCardCopy(CardCopyDialogModel& model) override { return showCardCopyDialog(owner_, model); }
  bool showSearch(SearchDialogModel& model) override { return showSearchDialog(owner_, model); }
  bool showPrint(PrintDialogModel& model) override { return showPrintDialog(owner_, model); }
  bool showDevice(DevDialogModel& model) override { return showDeviceDialog(owner_, model, messages_); }

 private:
  HWND owner_;
  UserMessages& messages_;
  SystemFilePicker picker_;
};

}  // namespace tessel::win
