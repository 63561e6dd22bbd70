// Identification of a family reader-writer by its 36 bytes of inquiry data.
#pragma once

#include <cstdint>

namespace zrb2x {

bool isFamilyReader(const uint8_t* inquiry36);
// The product revision (bytes 32 to 35) as a big-endian number: "2.00" is 0x322E3030.
uint32_t firmwareRevisionOf(const uint8_t* inquiry36);
uint32_t revisionFromText(const char* fourCharacters);

}  // namespace zrb2x
