// The version resource of a loaded module's file, read through the Win32
// version API.
#pragma once

#include <windows.h>

#include <vector>

#include "version_resource.h"

namespace cardservice {

class FileVersionResource final : public VersionResource {
 public:
  explicit FileVersionResource(HMODULE module);
  bool present() const { return !data_.empty(); }
  std::optional<std::pair<uint16_t, uint16_t>> translation() override;
  std::optional<std::string> query(uint16_t language, uint16_t codePage, const char* name) override;

 private:
  std::vector<unsigned char> data_;
};

// The module's version strings; found is 0 when it has no version resource.
VersionStrings readModuleVersionStrings(HMODULE module);

}  // namespace cardservice
