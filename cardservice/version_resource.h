// The twelve standard strings of a module's version resource, looked up with
// the module's own language and code page and, where a string is missing
// there, with a fixed list of other code pages and languages.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace cardservice {

constexpr size_t kVersionStringCount = 12;
constexpr size_t kVersionStringMax = 256;  // bytes kept per string, terminator included

enum VersionStringName : size_t {
  VS_COMMENTS,
  VS_COMPANY_NAME,
  VS_FILE_DESCRIPTION,
  VS_FILE_VERSION,
  VS_INTERNAL_NAME,
  VS_LEGAL_COPYRIGHT,
  VS_LEGAL_TRADEMARKS,
  VS_ORIGINAL_FILENAME,
  VS_PRIVATE_BUILD,
  VS_PRODUCT_NAME,
  VS_PRODUCT_VERSION,
  VS_SPECIAL_BUILD,
};

extern const char* const kVersionStringNames[kVersionStringCount];

// What the platform offers of one file's version resource.
class VersionResource {
 public:
  virtual ~VersionResource() = default;
  // The first language and code-page pair of "\VarFileInfo\Translation", if any.
  virtual std::optional<std::pair<uint16_t, uint16_t>> translation() = 0;
  // "\StringFileInfo\<language><codepage>\<name>".
  virtual std::optional<std::string> query(uint16_t language, uint16_t codePage, const char* name) = 0;
};

struct VersionStrings {
  std::array<std::string, kVersionStringCount> value;
  int found = 0;  // names found; 0 means the resource is unusable
  const std::string& operator[](VersionStringName name) const { return value[name]; }
};

VersionStrings readVersionStrings(VersionResource& resource);

}  // namespace cardservice
