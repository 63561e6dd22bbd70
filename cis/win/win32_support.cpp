#include "win32_support.h"

#include <algorithm>

#include "viewer_text.h"
#include "win32_text.h"

namespace cis::win {
namespace {

HINSTANCE g_instance = nullptr;
HWND g_owner = nullptr;

}  // namespace

HINSTANCE moduleInstance() { return g_instance; }
void setModuleInstance(HINSTANCE instance) { g_instance = instance; }
HWND lastOwner() { return g_owner; }
void setLastOwner(HWND owner) { g_owner = owner; }

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += kValueLineBreak;
    out += lines[i];
  }
  return out;
}

void setText(HWND window, std::string_view sjis) {
  if (window) SetWindowTextW(window, zrb::win::shiftJisToWide(sjis).c_str());
}

void setItemText(HWND dialog, int id, std::string_view sjis) { setText(GetDlgItem(dialog, id), sjis); }

void centreOverOwner(HWND dialog) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  RECT owner = desktop;
  HWND ownerWindow = lastOwner();
  if (ownerWindow && IsWindow(ownerWindow)) GetWindowRect(ownerWindow, &owner);
  RECT own;
  GetWindowRect(dialog, &own);
  LONG width = own.right - own.left, height = own.bottom - own.top;
  LONG x = (owner.left + owner.right) / 2 - width / 2;
  LONG y = (owner.top + owner.bottom) / 2 - height / 2;
  x = std::min(x, desktop.right - width);
  y = std::min(y, desktop.bottom - height);
  x = std::max(x, 0L);
  y = std::max(y, 0L);
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool isReadOnlyTextControl(int id) {
  return (id >= control::kValue1 && id <= control::kValue1 + 4) ||
         (id >= control::kLabel1 && id <= control::kLabel1 + 4);
}

}  // namespace cis::win
