#include "dialog_text.h"

#include "win32_text.h"

namespace cis::test {

std::string controlText(HWND window) {
  if (!window) return "<no control>";
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return zrb::win::wideToShiftJis(text);
}

std::string itemText(HWND dialog, int id) { return controlText(GetDlgItem(dialog, id)); }

std::string listItem(HWND list, int index, bool combo) {
  LRESULT length = SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
  if (length < 0) return "<no item>";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return zrb::win::wideToShiftJis(text);
}

}  // namespace cis::test
