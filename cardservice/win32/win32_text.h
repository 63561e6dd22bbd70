// UTF-8 <-> UTF-16 for the manager's Win32 layer, which keeps its texts in
// UTF-8 and hands them to the wide API so Japanese shows on any system.
#pragma once

#include <string>

namespace cardservice {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace cardservice
