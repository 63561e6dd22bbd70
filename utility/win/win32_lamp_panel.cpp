#include "win32_lamp_panel.h"

#include <commctrl.h>

#include "tessel_ids.h"
#include "win32_owners.h"

namespace tessel::win {
namespace {

constexpr wchar_t kPanelClass[] = L"TesselLampPanel";
constexpr wchar_t kLampClass[] = L"TesselLamp";
constexpr int kLampWidth = 18;
constexpr int kLampHeight = 13;
constexpr int kColumns[] = {8, 25, 48, 65, 88, 105, 128, 145};
constexpr int kTopRow = 1;
constexpr int kBottomRow = 17;
constexpr COLORREF kNoCard = RGB(255, 255, 255);

LRESULT CALLBACK lampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  auto colour = static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA));
  zrb::win::UniqueGdiObject fill(CreateSolidBrush(colour));
  zrb::win::Selection useFill(dc, fill.get()), useEdge(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, area.left, area.top, area.right, area.bottom);
  // The number: one digit further in than two, so both look centred.
  int number = GetDlgCtrlID(window) - IDC_S1Led + 1;
  wchar_t label[4];
  wsprintfW(label, L"%d", number);
  zrb::win::UniqueGdiObject font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0,
                                             FIXED_PITCH, L"ＭＳ ゴシック"));
  zrb::win::Selection useFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutW(dc, number < 10 ? 7 : 3, 0, label, lstrlenW(label));
  EndPaint(window, &paint);
  return 0;
}

bool registerClasses() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSW panel{};
  panel.lpfnWndProc = DefWindowProcW;
  panel.hInstance = GetModuleHandleW(nullptr);
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panel.lpszClassName = kPanelClass;
  panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  WNDCLASSW lamp = panel;
  lamp.lpfnWndProc = lampProc;
  lamp.lpszClassName = kLampClass;
  registered = RegisterClassW(&panel) != 0 && RegisterClassW(&lamp) != 0;
  return registered;
}

}  // namespace

bool LampPanel::create(HWND parent, int x, int y) {
  if (!registerClasses()) return false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  panel_ =
      CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, kWidth, kHeight,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_Panel1)), instance, nullptr);
  if (!panel_) return false;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, panel_, nullptr, instance, nullptr);
  for (unsigned socket = 0; socket < kShownSockets; ++socket) {
    int left = kColumns[socket / 2];
    int top = socket % 2 == 0 ? kTopRow : kBottomRow;
    // Hidden and disabled until start-up knows the socket exists.
    lamps_[socket] = CreateWindowExW(
        0, kLampClass, L"", WS_CHILD | WS_DISABLED, left, top, kLampWidth, kLampHeight, panel_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_S1Led + socket)), instance, nullptr);
    SetWindowLongPtrW(lamps_[socket], GWLP_USERDATA, static_cast<LONG_PTR>(kNoCard));
  }
  return true;
}

void LampPanel::moveTo(int x, int y) {
  if (panel_) SetWindowPos(panel_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void LampPanel::showSocket(unsigned socket, const std::wstring& hint) {
  if (socket >= kShownSockets || !lamps_[socket]) return;
  hints_[socket] = hint;
  EnableWindow(lamps_[socket], TRUE);
  ShowWindow(lamps_[socket], SW_SHOWNA);
  if (tooltip_) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = panel_;
    tool.uId = reinterpret_cast<UINT_PTR>(lamps_[socket]);
    tool.lpszText = hints_[socket].data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void LampPanel::setColour(unsigned socket, COLORREF colour) {
  if (socket >= kShownSockets || !lamps_[socket]) return;
  SetWindowLongPtrW(lamps_[socket], GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  InvalidateRect(lamps_[socket], nullptr, TRUE);
}

}  // namespace tessel::win
