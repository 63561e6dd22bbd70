// Shared pieces of the library's Win32 layer: module instance, the owner of
// the last CisShow call, Shift-JIS texts into controls, centring.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace cis::win {

HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);
HWND lastOwner();
void setLastOwner(HWND owner);

// Lines joined with the line break of the library's multi-line controls.
std::string joinLines(const std::vector<std::string>& lines);
void setText(HWND window, std::string_view sjis);
void setItemText(HWND dialog, int id, std::string_view sjis);

// Centre over the owner of the last CisShow call (the desktop when none),
// kept inside the desktop and never at a negative coordinate.
void centreOverOwner(HWND dialog);

// A click into a read-only text control moves the focus to OK.
bool isReadOnlyTextControl(int id);

}  // namespace cis::win
