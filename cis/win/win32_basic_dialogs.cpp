// The dialogs without decoding: a tuple's name only, its hexadecimal dump, and
// the two-column text page the configuration viewers open for a sub-item.
#include <string>

#include "text.h"
#include "viewer_text.h"
#include "win32_exports.h"
#include "win32_support.h"
#include "win32_viewer_dialog.h"

using cis::CisTupleRecord;
namespace control = cis::control;

namespace {

constexpr uint16_t kNameDialog = 4097;
constexpr uint16_t kHexDialog = 4098;

size_t lineCount(const char* text) {
  size_t lines = 1;
  for (const char* c = text; c && *c; ++c) lines += *c == '\n';
  return lines;
}

bool endOnOkOrCancel(HWND dialog, WPARAM wParam) {
  if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return false;
  EndDialog(dialog, 0);
  return true;
}

}  // namespace

extern "C" CIS_DIALOG_PROC(Dlg_CisShow0) {
  try {
    if (message == WM_INITDIALOG) {
      const auto* record = reinterpret_cast<const CisTupleRecord*>(lParam);
      if (record) cis::win::setText(dialog, cis::nameOnlyViewer(*record).caption);
      cis::win::centreOverOwner(dialog);
      return TRUE;
    }
    if (message == WM_COMMAND) return endOnOkOrCancel(dialog, wParam);
  } catch (...) {
    EndDialog(dialog, 0);
  }
  return FALSE;
}

extern "C" CIS_DIALOG_PROC(Dlg_CisShowX) {
  try {
    if (message == WM_INITDIALOG) {
      const auto* record = reinterpret_cast<const CisTupleRecord*>(lParam);
      if (record) {
        cis::ViewerText view = cis::hexDumpViewer(*record);
        cis::win::setText(dialog, view.caption);
        cis::win::setItemText(dialog, control::kHexHeader, cis::text(cis::sid::kHexHeader));
        std::string rows;
        for (const std::string& row : view.hexRowLabels) rows += row + "\n";
        cis::win::setItemText(dialog, control::kHexRows, rows);
        cis::win::setItemText(dialog, control::kValue1, cis::win::joinLines(view.hexLines));
        // One fixed-pitch font for header, offsets and dump, so columns and rows line up.
        for (int id : {control::kHexHeader, control::kHexRows, control::kValue1})
          SendDlgItemMessageW(dialog, id, WM_SETFONT,
                              reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
      }
      cis::win::centreOverOwner(dialog);
      return TRUE;
    }
    if (message == WM_COMMAND) {
      if (HIWORD(wParam) == EN_SETFOCUS && cis::win::isReadOnlyTextControl(LOWORD(wParam))) {
        SetFocus(GetDlgItem(dialog, IDOK));
        return TRUE;
      }
      return endOnOkOrCancel(dialog, wParam);
    }
  } catch (...) {
    EndDialog(dialog, 0);
  }
  return FALSE;
}

extern "C" CIS_DIALOG_PROC(Dlg_CisOneShot) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        const auto* page = reinterpret_cast<const cis::win::OneShotPage*>(lParam);
        if (!page) {
          EndDialog(dialog, 0);
          return TRUE;
        }
        cis::win::layoutTwoColumns(dialog, lineCount(page->values));
        cis::win::setText(dialog, page->caption ? page->caption : "");
        cis::win::setItemText(dialog, control::kLabel1, page->labels ? page->labels : "");
        cis::win::setItemText(dialog, control::kValue1, page->values ? page->values : "");
        SendDlgItemMessageW(dialog, control::kLabel1, EM_SETREADONLY, TRUE, 0);
        SendDlgItemMessageW(dialog, control::kValue1, EM_SETREADONLY, TRUE, 0);
        cis::win::centreOverOwner(dialog);
        return TRUE;
      }
      case WM_COMMAND:
        if (LOWORD(wParam) == control::kValue1 && HIWORD(wParam) == EN_VSCROLL) {
          cis::win::syncLabelScroll(dialog);
          return TRUE;
        }
        if (HIWORD(wParam) == EN_SETFOCUS && cis::win::isReadOnlyTextControl(LOWORD(wParam))) {
          SetFocus(GetDlgItem(dialog, IDOK));
          return TRUE;
        }
        return endOnOkOrCancel(dialog, wParam);
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, control::kValue1))
          cis::win::syncLabelScroll(dialog);
        return FALSE;
    }
  } catch (...) {
    EndDialog(dialog, 0);
  }
  return FALSE;
}

extern "C" CIS_VIEWER(CisShowNameOnly) {
  if (record)
    DialogBoxParamW(cis::win::moduleInstance(), MAKEINTRESOURCEW(kNameDialog), owner, Dlg_CisShow0,
                    reinterpret_cast<LPARAM>(record));
}

extern "C" CIS_VIEWER(CisShowHexDump) {
  if (record)
    DialogBoxParamW(cis::win::moduleInstance(), MAKEINTRESOURCEW(kHexDialog), owner, Dlg_CisShowX,
                    reinterpret_cast<LPARAM>(record));
}
