#include "address_fields.h"

#include <cstdio>

#include "number_entry.h"
#include "texts.h"

namespace tessel {

std::string addressText(uint32_t address) {
  char digits[kAddressLength + 1];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(address));
  return digits;
}

bool convertAddress(const std::string& text, uint32_t& address, UserMessages& messages) {
  int32_t value = 0;
  if (!parseDecimal("$" + text, value, messages)) return false;
  address = static_cast<uint32_t>(value);
  return true;
}

AreaLabels AreaLabels::of(uint8_t socket, uint8_t space, uint8_t region) {
  bool attribute = space != 0;
  return AreaLabels{std::string(text(sid::kSocket)) + std::to_string(socket + 1),
                    std::string(text(attribute ? sid::kAttribute : sid::kCommon)),
                    std::string(text(sid::kRegion)) + std::to_string(attribute ? 1 : region + 1)};
}

}  // namespace tessel
