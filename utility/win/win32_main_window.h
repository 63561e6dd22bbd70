// The card utility's main window, the MDI frame "Tmainwindow": toolbar with
// the socket lamps, menus, the 2-second status poll, the stored colours and
// socket settings, help and the end of the program or of the logon. What it
// decides lives in the portable core; this class moves it to the screen.
#pragma once

#include <windows.h>

namespace tessel::win {

extern const wchar_t kMainWindowClass[];  // "Tmainwindow"

// Creates the main window with everything it owns and runs the message loop
// until it closes; the exit code, 1 when the window could not be created.
int runMainWindow(HINSTANCE instance, int show);

}  // namespace tessel::win
