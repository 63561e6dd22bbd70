// Tests write expected texts in UTF-8; the library speaks Shift-JIS.
#pragma once

#include <string>

namespace cis::test {

std::string sjis(const std::string& utf8);  // UTF-8 to Shift-JIS (code page 932)
std::string utf8(const std::string& sjis);  // back, for readable failure messages

}  // namespace cis::test
