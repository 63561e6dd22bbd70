// The description of a virtual reader is a text file anyone can edit: parsing
// must survive anything, and what it accepts must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "virtual/reader_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto state = zrb2x::virt::parseReaderState(text);
  if (!state) return 0;
  const std::string once = zrb2x::virt::formatReaderState(*state);
  const auto again = zrb2x::virt::parseReaderState(once);
  if (!again || zrb2x::virt::formatReaderState(*again) != once) std::abort();
  return 0;
}
