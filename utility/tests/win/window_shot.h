// Pictures of windows for the documentation: with TESSEL_DIALOG_SHOTS set to
// a folder, a test saves a window there as it is drawn on screen
// (scripts/dialog-screenshots turns the bitmaps into the documentation's PNGs).
#pragma once

#include <windows.h>

namespace tessel::test {

// Saves `window` as <TESSEL_DIALOG_SHOTS>/<name>.bmp (24-bit); does nothing
// when the variable is not set.
void snapWindow(HWND window, const char* name);

}  // namespace tessel::test
