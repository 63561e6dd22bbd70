// The frame's side of a card window: how one is created in the MDI client,
// and the messages by which frame and card window talk. The card window
// itself shows the card area chosen in the open card dialog.
#pragma once

#include <windows.h>

#include "card_access.h"

namespace tessel::win {

extern const wchar_t kCardWindowClass[];  // "Tdumpwindow"

// Frame -> card window: a socket's status changed (wParam socket, lParam status).
constexpr UINT kUpdateSocketLamps = WM_APP + 1;
// Card window -> frame: the window is closing (wParam: its handle).
constexpr UINT kCardWindowClosing = WM_APP + 2;
// Frame -> card window: whether it is the active card window (returns 0 or 1).
constexpr UINT kIsActiveCardWindow = WM_APP + 3;

bool registerCardWindowClass(HINSTANCE instance);

// A new card window for the current selection, as the active MDI child.
HWND createCardWindow(HWND mdiClient, const CurrentSelection& selection);

}  // namespace tessel::win
