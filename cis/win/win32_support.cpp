#include "win32_support.h"

#include <algorithm>

#include "viewer_text.h"

namespace cis::win {
namespace {

HINSTANCE g_instance = nullptr;
HWND g_owner = nullptr;
constexpr UINT kShiftJis = 932;

}  // namespace

HINSTANCE moduleInstance() { return g_instance; }
void setModuleInstance(HINSTANCE instance) { g_instance = instance; }
HWND lastOwner() { return g_owner; }
void setLastOwner(HWND owner) { g_owner = owner; }

std::wstring widen(std::string_view sjis) {
  if (sjis.empty()) return std::wstring();
  int length = MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
  if (length > 0)
    MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), wide.data(), length);
  return wide;
}

std::string narrow(std::wstring_view text) {
  if (text.empty()) return std::string();
  int length = WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(length, 0)), '\0');
  if (length > 0)
    WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
  return out;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += kValueLineBreak;
    out += lines[i];
  }
  return out;
}

void setText(HWND window, std::string_view sjis) {
  if (window) SetWindowTextW(window, widen(sjis).c_str());
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
