// Version strings of module version resources ("5, 2, 0, 111", "5.2.0.111")
// read as four numbers. The card manager and the accessor both decide by the
// first two whether they belong together.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace cardservice {

struct VersionNumbers {
  std::array<uint32_t, 4> number{};  // missing numbers are 0
  int count = 0;                     // how many numbers were read; callers need at least 1
};

// Reads up to four decimal numbers. Each is preceded by anything that is not a
// digit; a number followed by the end, a space, a full stop or a comma counts;
// any other character after a number stops the parse, keeping that number but
// not counting it.
VersionNumbers parseVersionString(std::string_view text);

}  // namespace cardservice
