// The text that tells the user an accessor module has the wrong version.
#pragma once

#include <cstdint>
#include <string>

#include "version_string.h"

namespace cardservice {

// Fills the message format (string 1 of the manager: "%s %lu.%lu.%lu.%lu ...
// %s %lu.%lu.??.?? ...") with the module's file name, its four numbers, the
// file name again and the manager's first two numbers. Only %s, %lu and %%
// are understood; anything else is copied as it stands, and conversions
// beyond the eight arguments are left empty, so a damaged resource cannot
// make the formatter read what is not there.
std::string formatVersionMessage(const std::string& format, const std::string& fileName,
                                 const VersionNumbers& module, uint32_t managerMajor, uint32_t managerMinor);

}  // namespace cardservice
