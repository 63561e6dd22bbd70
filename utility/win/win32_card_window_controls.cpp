#include "win32_card_window_controls.h"

#include <commctrl.h>

#include "tessel_ids.h"
#include "texts.h"
#include "win32_owners.h"
#include "win32_text.h"

namespace tessel::win::cardwindow {
namespace {

constexpr wchar_t kLampClass[] = L"TesselCardLamp";
constexpr COLORREF kLampOff = RGB(255, 255, 255);

// FixedSys is a bitmap font of one size, 8 pixels wide: the header and the
// lists share it, so that the header's "+0" … "+F" stand over the bytes.
constexpr int kListCellHeight = 15;
constexpr int kListCharWidth = 8;
constexpr int kLabelCellHeight = 15;
// Japanese systems have FixedSys with Shift-JIS glyphs; elsewhere the fixed
// Gothic face is the nearest (under Wine it maps to the IPA Gothic font).
constexpr const wchar_t* kListFaces[] = {L"FixedSys", L"ＭＳ ゴシック", L"MS Gothic"};

struct Place {
  int x, y, width, height;
};
constexpr int kLampTop = 5;
constexpr int kLampLefts[] = {16, 64, 112};
constexpr int kLampWidth = 17;
constexpr int kLampHeight = 10;
constexpr int kLampLabelGap = 4;
constexpr int kBatteryLabelWidth = 40;
constexpr Place kHeader{12, 20, 590, 16};
constexpr Place kAddrList{10, 43, 71, 310};
constexpr Place kDumpList{80, 40, 385, 313};
constexpr Place kCharList{464, 40, 137, 313};
constexpr Place kScrollBar{600, 41, 17, 288};
constexpr int kStatusHeight = 18;
constexpr int kListMargin = 2;

LRESULT CALLBACK lampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  zrb::win::UniqueGdiObject fill(
      CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA))));
  zrb::win::Selection useFill(dc, fill.get()), useEdge(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, area.left, area.top, area.right, area.bottom);
  EndPaint(window, &paint);
  return 0;
}

int CALLBACK noteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool faceHasShiftJis(HDC dc, const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, noteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

HWND child(HWND parent, DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style,
           const Place& place, int id) {
  return CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                         place.x, place.y, place.width, place.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

HWND list(HWND parent, DWORD exStyle, DWORD style, const Place& place, int id, HFONT font) {
  // Without ES_AUTOHSCROLL a multi-line edit wraps, and line k would no
  // longer be line k of the page.
  HWND edit =
      child(parent, exStyle, L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | style, place, id);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kListMargin, 0));
  return edit;
}

std::wstring wide(uint16_t id) { return zrb::win::utf8ToWide(text(id)); }

}  // namespace

bool registerLampClass(HINSTANCE instance) {
  WNDCLASSW lamp{};
  lamp.lpfnWndProc = lampProc;
  lamp.hInstance = instance;
  lamp.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  lamp.lpszClassName = kLampClass;
  return RegisterClassW(&lamp) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT createListFont(HWND window) {
  zrb::win::WindowDc dc(window);
  const wchar_t* face = L"";
  for (const wchar_t* candidate : kListFaces) {
    if (faceHasShiftJis(dc.get(), candidate)) {
      face = candidate;
      break;
    }
  }
  return CreateFontW(kListCellHeight, kListCharWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face);
}

HFONT createLabelFont() {
  return CreateFontW(kLabelCellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                     L"ＭＳ ゴシック");
}

Controls createControls(HWND window, HFONT listFont, HFONT labelFont) {
  struct LampRow {
    int lampId, labelId;
    uint16_t label;
  };
  constexpr LampRow kLamps[] = {{IDC_Stled, IDC_StLabel, sid::kLampCard},
                                {IDC_Wpled, IDC_WpLabel, sid::kLampProtect},
                                {IDC_Battled, IDC_BattLabel, sid::kLampBattery}};
  HWND lamps[3] = {};
  HWND labels[3] = {};
  for (int index = 0; index < 3; ++index) {
    int left = kLampLefts[index];
    lamps[index] =
        child(window, 0, kLampClass, L"", 0, {left, kLampTop, kLampWidth, kLampHeight}, kLamps[index].lampId);
    SetWindowLongPtrW(lamps[index], GWLP_USERDATA, static_cast<LONG_PTR>(kLampOff));
    // A label ends before the next lamp, which it would otherwise cover.
    int labelLeft = left + kLampWidth + kLampLabelGap;
    int labelWidth = index + 1 < 3 ? kLampLefts[index + 1] - labelLeft - 1 : kBatteryLabelWidth;
    labels[index] = child(window, 0, L"STATIC", wide(kLamps[index].label), SS_LEFT | SS_NOPREFIX,
                          {labelLeft, kLampTop - 3, labelWidth, kLabelCellHeight + 1}, kLamps[index].labelId);
    SendMessageW(labels[index], WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), FALSE);
  }
  HWND header =
      child(window, 0, L"STATIC", wide(sid::kDumpHeader), SS_LEFT | SS_NOPREFIX, kHeader, IDC_Label4);
  SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);

  Controls controls;
  controls.cardLamp = lamps[0];
  controls.protectLamp = lamps[1];
  controls.batteryLamp = lamps[2];
  controls.batteryLabel = labels[2];
  controls.addresses = list(window, 0, 0, kAddrList, IDC_AddrList, listFont);
  controls.dump = list(window, WS_EX_CLIENTEDGE, WS_TABSTOP, kDumpList, IDC_DumpList, listFont);
  controls.chars = list(window, WS_EX_CLIENTEDGE, WS_TABSTOP, kCharList, IDC_CharList, listFont);
  controls.scrollBar = child(window, 0, L"SCROLLBAR", L"", SBS_VERT, kScrollBar, IDC_ScrollBar1);
  controls.status = child(window, 0, STATUSCLASSNAMEW, L"", CCS_BOTTOM,
                          {0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight}, IDC_StatusBar1);
  // The lists reach down behind the status line: it must stay in front.
  SetWindowPos(controls.status, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(controls.status, SB_SETMINHEIGHT, kStatusHeight, 0);
  SendMessageW(controls.status, WM_SIZE, 0, 0);
  return controls;
}

void setLampColour(HWND lamp, COLORREF colour) {
  SetWindowLongPtrW(lamp, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  InvalidateRect(lamp, nullptr, TRUE);
}

void replaceRange(HWND edit, int start, int end, const std::wstring& text) {
  SendMessageW(edit, EM_SETSEL, start, end);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void replaceLine(HWND edit, unsigned line, const std::wstring& text) {
  auto start = static_cast<int>(SendMessageW(edit, EM_LINEINDEX, line, 0));
  if (start < 0) return;
  auto length = static_cast<int>(SendMessageW(edit, EM_LINELENGTH, start, 0));
  replaceRange(edit, start, start + length, text);
}

void insertFirstLine(HWND edit, const std::wstring& text) {
  auto lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
  auto length = static_cast<int>(GetWindowTextLengthW(edit));
  if (lines > 1) {
    auto last = static_cast<int>(SendMessageW(edit, EM_LINEINDEX, lines - 1, 0));
    replaceRange(edit, last - 2, length, L"");
  } else {
    replaceRange(edit, 0, length, L"");
  }
  replaceRange(edit, 0, 0, lines > 1 ? text + L"\r\n" : text);
}

void appendLastLine(HWND edit, const std::wstring& text) {
  auto lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
  if (lines > 1) {
    auto second = static_cast<int>(SendMessageW(edit, EM_LINEINDEX, 1, 0));
    replaceRange(edit, 0, second, L"");
    auto length = static_cast<int>(GetWindowTextLengthW(edit));
    replaceRange(edit, length, length, L"\r\n" + text);
  } else {
    replaceRange(edit, 0, GetWindowTextLengthW(edit), text);
  }
}

unsigned caretOf(HWND edit) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start;
}

void placeCaret(HWND edit, unsigned position) { SendMessageW(edit, EM_SETSEL, position, position); }

}  // namespace tessel::win::cardwindow
