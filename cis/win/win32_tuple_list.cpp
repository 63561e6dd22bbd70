// CisShow and the tuple list dialog: the list of tuples by name, each item
// owning the library's copy of its record, and the viewer of the chosen one.
#include <memory>

#include "decode.h"
#include "text.h"
#include "tuple_list.h"
#include "viewer_text.h"
#include "win32_exports.h"
#include "win32_support.h"
#include "win32_text.h"

using cis::CisTupleRecord;
using cis::Viewer;
namespace control = cis::control;

namespace {

constexpr uint16_t kListDialog = 4096;
constexpr unsigned kCaptionSockets = 8;

struct ListParameters {
  const cis::CisTupleEntry* entries;
  unsigned count;
  WORD socket;
};

using ViewerFunction = void(__stdcall*)(HWND, const CisTupleRecord*);

// In the order of the Viewer enumeration.
constexpr ViewerFunction kViewers[] = {
    CisShowNameOnly, CisShowHexDump, CisShowDev,  CisShowOci,    CisShowMfc,  CisShowCks,
    CisShowLl,       CisShowLtg,     CisShowLv1,  CisShowAltstr, CisShowJed,  CisShowCc,
    CisShowCe,       CisShowDg,      CisShowMid,  CisShowFid,    CisShowFe,   CisShowLv2,
    CisShowFmt,      CisShowGeo,     CisShowByte, CisShowDate,   CisShowBatt, CisShowOrg,
};
static_assert(std::size(kViewers) == static_cast<size_t>(Viewer::Org) + 1);

HWND listBox(HWND dialog) { return GetDlgItem(dialog, control::kTupleList); }

void fillList(HWND dialog, const ListParameters& parameters) {
  HWND list = listBox(dialog);
  for (auto& item : cis::prepareTupleList(parameters.entries, parameters.count)) {
    std::wstring name = zrb::win::shiftJisToWide(item.name);
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index < 0) break;  // the copy is freed with the rest of the unlisted ones
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.copy.release()));
  }
}

void showSelected(HWND dialog) {
  HWND list = listBox(dialog);
  LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0) return;
    selected = 0;
    SendMessageW(list, LB_SETCURSEL, 0, 0);
  }
  auto* record = reinterpret_cast<const CisTupleRecord*>(SendMessageW(list, LB_GETITEMDATA, selected, 0));
  if (!record || reinterpret_cast<LRESULT>(record) == LB_ERR) return;
  kViewers[static_cast<size_t>(cis::viewerFor(record->requestedCode))](dialog, record);
}

void freeCopies(HWND dialog) {
  HWND list = listBox(dialog);
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    delete reinterpret_cast<CisTupleRecord*>(SendMessageW(list, LB_GETITEMDATA, i, 0));
    SendMessageW(list, LB_SETITEMDATA, i, 0);
  }
}

}  // namespace

extern "C" CIS_DIALOG_PROC(DlgCis) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        cis::win::centreOverOwner(dialog);
        const auto* parameters = reinterpret_cast<const ListParameters*>(lParam);
        if (parameters && parameters->socket < kCaptionSockets)
          cis::win::setText(dialog, cis::format(cis::sid::kListCaption, unsigned{parameters->socket}));
        cis::win::setItemText(dialog, control::kShow, cis::text(cis::sid::kViewButton));
        EnableWindow(GetDlgItem(dialog, control::kShow), FALSE);
        if (parameters) fillList(dialog, *parameters);
        return TRUE;
      }
      case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
          EndDialog(dialog, 0);
        } else if (id == control::kTupleList && code == LBN_SELCHANGE) {
          bool selected = SendMessageW(listBox(dialog), LB_GETCURSEL, 0, 0) != LB_ERR;
          EnableWindow(GetDlgItem(dialog, control::kShow), selected);
          if (!selected) SetFocus(GetDlgItem(dialog, IDOK));
        } else if ((id == control::kShow && code == BN_CLICKED) ||
                   (id == control::kTupleList && code == LBN_DBLCLK)) {
          showSelected(dialog);
        } else if (code == EN_SETFOCUS && cis::win::isReadOnlyTextControl(id)) {
          SetFocus(GetDlgItem(dialog, IDOK));
        }
        return TRUE;
      }
      case WM_DESTROY:
        freeCopies(dialog);
        return FALSE;
    }
  } catch (...) {
    EndDialog(dialog, 0);
  }
  return FALSE;
}

extern "C" void __stdcall CisShow(HWND owner, WORD socket, const cis::CisTupleEntry* entries,
                                  unsigned count) {
  if (!owner) return;
  cis::win::setLastOwner(owner);
  ListParameters parameters{entries, count, socket};
  DialogBoxParamW(cis::win::moduleInstance(), MAKEINTRESOURCEW(kListDialog), owner, DlgCis,
                  reinterpret_cast<LPARAM>(&parameters));
}
