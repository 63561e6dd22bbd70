// The card utility's operation dialogs on Win32. Each dialog procedure only
// moves text between the controls and its portable model; what the dialog
// decides lives in the model. Templates come from dialogs.rc, which the
// program's resource script includes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "card_access.h"
#include "device_dialogs.h"
#include "dialog_ids.h"
#include "progress_state.h"
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
