#include "inquiry.h"

#include <cstring>

#include "big_endian.h"

namespace zrb2x {
namespace {

constexpr char kVendor[] = "VELMO   ";
// Space-padded, exactly as the reader-writer reports them: a product field
// padded with NULs belongs to something else.
constexpr const char* kProducts[] = {"ZRB-22G         ", "ZRB-22H         "};

}  // namespace

bool isFamilyReader(const uint8_t* inquiry) {
  if (std::memcmp(inquiry + 8, kVendor, 8) != 0) return false;
  for (const char* product : kProducts)
    if (std::memcmp(inquiry + 16, product, 16) == 0) return true;
  return false;
}

uint32_t firmwareRevisionOf(const uint8_t* inquiry) { return getBig32(inquiry + 32); }

uint32_t revisionFromText(const char* text) { return getBig32(reinterpret_cast<const uint8_t*>(text)); }

}  // namespace zrb2x
