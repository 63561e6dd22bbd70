// The card window "Tdumpwindow": an MDI child that shows one area of one
// card as addresses, a hexadecimal dump and its characters, with the
// socket's lamps. Its model decides everything; the window draws what the
// model tells it and hands the user's keys, clicks and scrolling back.
#pragma once

#include <windows.h>

#include "card_access.h"
#include "card_window_commands.h"
#include "card_window_ports.h"
#include "settings.h"

namespace tessel::win {

extern const wchar_t kCardWindowClass[];  // "Tdumpwindow"

// Frame -> card window: a socket's status changed (wParam socket, lParam status).
constexpr UINT kUpdateSocketLamps = WM_APP + 1;
// Card window -> frame: the window is closing (wParam: its handle).
constexpr UINT kCardWindowClosing = WM_APP + 2;
// Frame -> card window: whether it is the active card window (returns 0 or 1).
constexpr UINT kIsActiveCardWindow = WM_APP + 3;
// Posted to a card window that became active, or whose program did: it
// reads its page again. Posted, so that no message box opens in the middle
// of an activation.
constexpr UINT kActivateCardWindow = WM_APP + 4;

// What all card windows share with the frame that owns them.
struct CardWindowContext {
  CardAccess* access = nullptr;
  CardWindowHost* host = nullptr;
  const ListColours* colours = nullptr;
  HMENU frameMenu = nullptr;   // the frame's own menu bar
  HMENU dumpMenu = nullptr;    // the bar shown while a card window is active
  HMENU windowMenu = nullptr;  // where the MDI client lists its windows
  // The dialogs, progress window and image files of the long commands.
  const CommandServices* commands = nullptr;
};

bool registerCardWindowClass(HINSTANCE instance);

// A new card window for the access layer's current selection, as the active
// MDI child. The context must outlive every card window.
HWND createCardWindow(HWND mdiClient, const CardWindowContext& context);

// The card windows' menu bar: their own menus from the resource, followed by
// the frame's menus from its window menu on, shared rather than copied, so
// that check marks and the window list stay one.
HMENU loadDumpMenu(HINSTANCE instance, HMENU frameMenu);
// Gives the shared menus back to the frame's bar and destroys the rest.
void destroyDumpMenu(HMENU dumpMenu);

}  // namespace tessel::win
