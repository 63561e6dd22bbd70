// What every dialog procedure here does the same way: text in and out of
// controls (UTF-8 models, wide controls), lists, and the model pointer kept
// with the dialog.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "dialog_lists.h"

namespace tessel::win::detail {

std::string controlText(HWND dialog, int id);
void setControlText(HWND dialog, int id, std::string_view text);
void showList(HWND dialog, int id, const tessel::ChoiceList& list);
int listSelection(HWND dialog, int id);
// Ends the dialog as the model's step says; StayOpen leaves it open.
void finish(HWND dialog, tessel::DialogStep step);

template <typename T>
T* context(HWND dialog) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
template <typename T>
T* keepContext(HWND dialog, LPARAM lParam) {
  SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  return reinterpret_cast<T*>(lParam);
}

// The chip menu at the cursor (or under `control` for the keyboard); the
// chosen chip arrives as a WM_COMMAND of chipCommandId().
void trackChipMenu(HWND dialog, HWND control, LPARAM where);
// The device type a chip command stands for; false for other commands.
bool chipCommandCode(int command, uint16_t& code);

}  // namespace tessel::win::detail
