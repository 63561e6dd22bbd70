// The dialog procedure behind every tuple viewer: it lays out the generic
// viewer template for the texts the portable builder made and moves those
// texts into the controls. Each exported DlgCisXxx is this procedure with its
// builder.
#pragma once

#include <windows.h>

#include "viewer_text.h"

namespace cis::win {

using ViewerBuilder = ViewerText (*)(const CisTupleRecord& record);

INT_PTR viewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, ViewerBuilder builder);
// Sets up `dialog` for `record` (what WM_INITDIALOG does); used by Fmt_Init.
void initViewerDialog(HWND dialog, const CisTupleRecord* record, ViewerBuilder builder);

// Places the controls of a two-column text (labels 321 beside values 289).
void layoutTwoColumns(HWND dialog, size_t lines);
// Keeps labels 321 on the same first line as values 289.
void syncLabelScroll(HWND dialog);

// The block of four pointers Dlg_CisOneShot takes.
struct OneShotPage {
  const void* dialogId;  // low 16 bits: the dialog resource
  const char* caption;
  const char* labels;
  const char* values;
};

}  // namespace cis::win
