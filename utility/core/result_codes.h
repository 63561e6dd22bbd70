// The card utility's own result codes. The card service's codes (below 257)
// travel through the program unchanged; these are added above them. Every
// result inside the program is a 16-bit value.
#pragma once

#include <cstdint>

namespace tessel {

enum ProgramResult : uint16_t {
  // Not R_OK: POSIX <unistd.h> defines that name as a macro, which would turn
  // this enumerator into a syntax error, or a comparison with it into one with 4.
  R_SUCCESS = 0,
  R_FILE_ERROR = 257,  // an image file could not be opened, read or written
  R_NOT_FOUND = 258,   // search found nothing (also an empty range)
  R_NO_DEVICE = 259,   // the area has no device (size 0)
  R_PARAMETER = 260,
  R_BAD_NUMBER = 261,  // an address or number entered is invalid
  R_TOO_MANY_WINDOWS = 262,
  R_NO_USABLE_CARD = 263,
  R_STOPPED = 264,  // the user pressed stop in the progress window
  R_NOT_PASTEABLE = 266,
  R_NOT_CHANGEABLE = 267,
  R_NOT_ERASABLE = 268,
  R_CARD_REMOVED = 270,
  R_CARD_REMOVED_UNSAVED = 271,
  R_SILENT = 31,  // a failure already reported: shown as nothing
};

}  // namespace tessel
