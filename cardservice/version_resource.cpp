#include "version_resource.h"

namespace cardservice {

const char* const kVersionStringNames[kVersionStringCount] = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild",
};

namespace {

// Where a string is missing under the module's own translation, these are
// tried: every code page (outer) with every language (inner), in this order.
constexpr uint16_t kFallbackCodePages[] = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};

constexpr uint16_t kFallbackLanguages[] = {
    0x401, 0x402, 0x403, 0x404, 0x405, 0x406, 0x407, 0x408, 0x409, 0x40A, 0x40B, 0x40C, 0x40D, 0x40E, 0x40F,
    0x410, 0x411, 0x412, 0x413, 0x414, 0x415, 0x416, 0x417, 0x418, 0x419, 0x41A, 0x41B, 0x41C, 0x41D, 0x41E,
    0x41F, 0x420, 0x421, 0x804, 0x807, 0x809, 0x80A, 0x80C, 0x810, 0x813, 0x814, 0x816, 0x81A, 0xC0C, 0x100C,
};

std::optional<std::string> lookUp(VersionResource& resource,
                                  const std::optional<std::pair<uint16_t, uint16_t>>& own, const char* name) {
  if (own) {
    if (auto hit = resource.query(own->first, own->second, name)) return hit;
  }
  for (uint16_t codePage : kFallbackCodePages)
    for (uint16_t language : kFallbackLanguages)
      if (auto hit = resource.query(language, codePage, name)) return hit;
  return std::nullopt;
}

}  // namespace

VersionStrings readVersionStrings(VersionResource& resource) {
  VersionStrings strings;
  const auto own = resource.translation();
  for (size_t i = 0; i < kVersionStringCount; ++i) {
    if (auto hit = lookUp(resource, own, kVersionStringNames[i])) {
      // Kept in a 256-byte field by older readers; longer strings are cut.
      if (hit->size() >= kVersionStringMax) hit->resize(kVersionStringMax - 1);
      strings.value[i] = std::move(*hit);
      ++strings.found;
    }
  }
  return strings;
}

}  // namespace cardservice
