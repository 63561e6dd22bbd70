// What the dialogs that take an address range of a card area share: the
// address edits (eight upper-case hexadecimal digits, typed as hexadecimal
// without the "$") and the labels naming the area the range lies in.
#pragma once

#include <cstdint>
#include <string>

#include "user_ports.h"

namespace tessel {

constexpr std::size_t kAddressLength = 8;  // characters an address edit takes

// The address as an edit shows it: eight upper-case hexadecimal digits.
std::string addressText(uint32_t address);

// The edit's text read as hexadecimal; a bad number shows error 261 and
// leaves `address` as it was.
bool convertAddress(const std::string& text, uint32_t& address, UserMessages& messages);

// "Socket2", "Common" or "Attribute", "Region1": numbers from 1; attribute
// memory is a single region.
struct AreaLabels {
  std::string socketName;
  std::string attributeName;
  std::string regionName;

  static AreaLabels of(uint8_t socket, uint8_t space, uint8_t region);
};

}  // namespace tessel
