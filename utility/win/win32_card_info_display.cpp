#include "win32_card_info_display.h"

#include "tupview32.h"

namespace tessel::win {

void Win32CardInfoDisplay::show(uint8_t socket, std::span<const cis::CisTupleEntry> tuples) noexcept {
  // A card without CIS still gets the (empty) list, so the user sees that
  // there is nothing rather than nothing happening. The walk never lists
  // more than 256 tuples, so the count fits the library's argument.
  const WORD number = static_cast<WORD>(socket + 1);
  CisShow(owner_, number, tuples.empty() ? nullptr : tuples.data(), static_cast<unsigned>(tuples.size()));
}

}  // namespace tessel::win
