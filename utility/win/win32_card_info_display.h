// The card information display on Win32: the CIS library's modal tuple list
// (CisShow of tupview32.dll, bound at load time), owned by the main window.
#pragma once

#include <windows.h>

#include "command_ports.h"

namespace tessel::win {

class Win32CardInfoDisplay final : public tessel::CardInfoDisplay {
 public:
  explicit Win32CardInfoDisplay(HWND owner) : owner_(owner) {}

  // `socket` is the socket index from 0; the library takes and shows the
  // socket number from 1. Returns when the user has closed the list.
  void show(uint8_t socket, std::span<const cis::CisTupleEntry> tuples) noexcept override;

 private:
  HWND owner_;
};

}  // namespace tessel::win
