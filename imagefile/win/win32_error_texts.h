// The error texts of hexo32.dll: loaded from the module's string resources
// when the DLL attaches, kept as Shift-JIS heap copies until it detaches.
#pragma once

#include <windows.h>

namespace hexo::win {

// False (with nothing kept) when memory runs out; a resource that cannot be
// read leaves its text empty.
bool loadErrorTexts(HMODULE module);
void freeErrorTexts();

// The Shift-JIS text of `code`; codes outside the table give the last entry.
const char* errorText(unsigned code);

}  // namespace hexo::win
