#include "win32_dialog_support.h"

#include <vector>

#include "device_dialogs.h"
#include "win32_dialogs.h"
#include "win32_owners.h"
#include "win32_text.h"

namespace tessel::win {
namespace {
HINSTANCE resourceModule = nullptr;
}  // namespace

void setDialogModule(HINSTANCE module) { resourceModule = module; }
HINSTANCE dialogModule() { return resourceModule ? resourceModule : GetModuleHandleW(nullptr); }

namespace detail {

using zrb::win::utf8ToWide;
using zrb::win::wideToUtf8;

std::string controlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return wideToUtf8(text);
}

void setControlText(HWND dialog, int id, std::string_view text) {
  SetDlgItemTextW(dialog, id, utf8ToWide(text).c_str());
}

void showList(HWND dialog, int id, const tessel::ChoiceList& list) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : list.items)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToWide(item).c_str()));
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(list.selected), 0);
}

int listSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void finish(HWND dialog, tessel::DialogStep step) {
  if (step == tessel::DialogStep::CloseOk) EndDialog(dialog, IDOK);
  if (step == tessel::DialogStep::CloseCancel) EndDialog(dialog, IDCANCEL);
}

void trackChipMenu(HWND dialog, HWND control, LPARAM where) {
  zrb::win::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  auto makers = tessel::chipMenu();
  for (unsigned m = 0; m < makers.size(); ++m) {
    HMENU chips = CreatePopupMenu();
    for (unsigned c = 0; c < makers[m].chips.size(); ++c)
      AppendMenuW(chips, MF_STRING, static_cast<UINT_PTR>(chipCommandId(m, c)),
                  utf8ToWide(makers[m].chips[c].chip).c_str());
    // The submenu belongs to the menu from here on and goes with it.
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(chips), utf8ToWide(makers[m].maker).c_str());
  }
  POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == -1) {  // from the keyboard: below the control
    RECT rect{};
    GetWindowRect(control, &rect);
    at = POINT{rect.left, rect.bottom};
  }
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr);
}

bool chipCommandCode(int command, uint16_t& code) {
  auto makers = tessel::chipMenu();
  int offset = command - chipCommandId(0, 0);
  if (offset < 0) return false;
  unsigned maker = static_cast<unsigned>(offset) / IDM_ChipsPerMaker,
           chip = static_cast<unsigned>(offset) % IDM_ChipsPerMaker;
  if (maker >= makers.size() || chip >= makers[maker].chips.size()) return false;
  code = makers[maker].chips[chip].code;
  return true;
}

}  // namespace detail
}  // namespace tessel::win
