// Reading what the library's dialogs show, as Shift-JIS (the library's own
// encoding), for tests that call a viewer under the shared dialog watcher.
#pragma once

#include <windows.h>

#include <string>

#include "win/dialog_watcher.h"

namespace cis::test {

using zrb::test::closeDialog;
using zrb::test::DialogWatcher;
using zrb::test::waitForDialog;

std::string controlText(HWND window);  // Shift-JIS, read with WM_GETTEXT
std::string itemText(HWND dialog, int id);
std::string listItem(HWND list, int index, bool combo = false);

}  // namespace cis::test
