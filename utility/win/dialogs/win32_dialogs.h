// The card utility's operation dialogs on Win32. Each dialog procedure only
// moves text between the controls and its portable model; what the dialog
// decides lives in the model. Templates come from dialogs.rc, which the
// program's resource script includes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "card_access.h"
#include "card_copy_dialogs.h"
#include "device_dialogs.h"
#include "dialog_ids.h"
#include "progress_state.h"
#include "range_dialogs.h"
#include "transfer_dialogs.h"
#include "user_ports.h"

namespace tessel::win {

// The module whose resources hold the templates; null (the default) means
// the program itself.
void setDialogModule(HINSTANCE module);
HINSTANCE dialogModule();

// The open card dialog over the program's socket table. True after "開く":
// the access layer's current selection and active area hold the choice.
bool showOpenDialog(HWND owner, tessel::CardAccess& access);

// The device type dialog: the caller sets the model's socket, space, region,
// code and size; true after "変更" with code and size updated. Errors go to
// `messages`.
bool showDeviceDialog(HWND owner, tessel::DevDialogModel& model, tessel::UserMessages& messages);

// The settings dialog; true after "設定": model.socket() and model.working()
// are what to store.
bool showEnvSetDialog(HWND owner, tessel::EnvSetDialogModel& model, tessel::UserMessages& messages);

// The operation dialogs of a card window. The caller presets the model's
// fields before showing and reads them after; each returns true when the
// dialog closed with its OK button, the model then holding the values.

// "リード", "ライト" or "コンペア" after the model's kind; the browse button
// goes through `picker`. Loading and saving the remembered values is the
// caller's.
bool showTransferDialog(HWND owner, tessel::TransferDialogModel& model, tessel::FilePicker& picker);
bool showSearchDialog(HWND owner, tessel::SearchDialogModel& model);
bool showFillDialog(HWND owner, tessel::FillDialogModel& model);
bool showMoveDialog(HWND owner, tessel::MoveDialogModel& model);
bool showEraseDialog(HWND owner, tessel::EraseDialogModel& model);
bool showECheckDialog(HWND owner, tessel::ECheckDialogModel& model);
bool showPrintDialog(HWND owner, tessel::PrintDialogModel& model);
// "カードコピー" or "カードコンペア" after model.kind().
bool showCardCopyDialog(HWND owner, tessel::CardCopyDialogModel& model);

// The system's file dialogs, for the transfer dialogs' browse button: a save
// dialog (overwrite prompt, read-only box hidden, read-only files refused)
// or an open dialog, both with the filter "*.*". The dialog is owned by the
// window active on the calling thread (the transfer dialog whose button was
// pressed), else by `owner`.
class SystemFilePicker final : public tessel::FilePicker {
 public:
  explicit SystemFilePicker(HWND owner) : owner_(owner) {}
  std::optional<std::string> pick(Purpose purpose, std::string_view current) override;

 private:
  HWND owner_;
};

// Whether a file of that name exists, for the read dialog's overwrite
// question. A folder is no file: creating the image file there fails with
// the image file library's own message instead.
class SystemFileProbe final : public tessel::FileProbe {
 public:
  bool exists(std::string_view name) override;
};

// The jump address box: `text` is shown (all selected) and, after "OK",
// replaced by what the user typed; unchanged after "Cancel".
bool showInputBox(HWND owner, std::string& text);

// The version dialog: the program's FileVersion and its file's date.
void showVersionDialog(HWND owner);

// The chip menu's command for a chip (indexes into tessel::chipMenu()).
constexpr int chipCommandId(unsigned maker, unsigned chip) {
  return IDM_ChipFirst + static_cast<int>(maker * IDM_ChipsPerMaker + chip);
}

// The progress window: created hidden with the object, shown by start(),
// hidden by close(). While an operation runs the main window is disabled, so
// only this window takes input; its stop button and its close box both ask
// the operation to stop, and only close() gives the main window back.
class Gages final : public tessel::Progress {
 public:
  explicit Gages(HWND mainWindow);
  ~Gages() override;
  Gages(const Gages&) = delete;
  Gages& operator=(const Gages&) = delete;

  void start(uint32_t steps, std::string_view caption) override;
  void setPosition(std::string_view text) override;
  // Advances the bar and runs the pending window messages; false once the
  // user asked to stop.
  bool step() override;
  void close() override;

  // The progress-active flag: an operation is running.
  bool active() const { return state_.active(); }
  HWND window() const { return dialog_; }

 private:
  static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void pumpMessages();

  HWND main_;
  HWND dialog_ = nullptr;
  tessel::ProgressState state_;
};

}  // namespace tessel::win
