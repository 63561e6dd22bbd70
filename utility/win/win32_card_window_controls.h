// The card window's controls: where they stand, their fonts, the three
// lamps, and the edits' line operations. Kept apart from the window's
// procedure, which only connects them with the model.
#pragma once

#include <windows.h>

#include <string>

namespace tessel::win::cardwindow {

constexpr int kClientWidth = 622;
constexpr int kClientHeight = 348;

struct Controls {
  HWND cardLamp = nullptr;      // Stled
  HWND protectLamp = nullptr;   // Wpled
  HWND batteryLamp = nullptr;   // Battled
  HWND batteryLabel = nullptr;  // "BATT"
  HWND addresses = nullptr;     // AddrList
  HWND dump = nullptr;          // DumpList
  HWND chars = nullptr;         // CharList
  HWND scrollBar = nullptr;     // ScrollBar1
  HWND status = nullptr;        // StatusBar1
};

bool registerLampClass(HINSTANCE instance);

// The fonts of one window; the caller owns them.
HFONT createListFont(HWND window);
HFONT createLabelFont();

Controls createControls(HWND window, HFONT listFont, HFONT labelFont);
void setLampColour(HWND lamp, COLORREF colour);

// Line operations on a multi-line edit; positions in UTF-16 units.
void replaceRange(HWND edit, int start, int end, const std::wstring& text);
void replaceLine(HWND edit, unsigned line, const std::wstring& text);
// Removes the last line (and the line end before it) and puts `text` first.
void insertFirstLine(HWND edit, const std::wstring& text);
// Removes the first line (and its line end) and puts `text` last.
void appendLastLine(HWND edit, const std::wstring& text);
unsigned caretOf(HWND edit);
void placeCaret(HWND edit, unsigned position);

}  // namespace tessel::win::cardwindow
