// Where things are in the Windows build tree: test programs run from
// <build>/tests, the deliverables are gathered in <build>/bin.
#pragma once
#include <string>

namespace zrb::test {

std::string executableDirectory();   // the running test's folder, no trailing backslash
std::string deliverableDirectory();  // <build>\bin

}  // namespace zrb::test
