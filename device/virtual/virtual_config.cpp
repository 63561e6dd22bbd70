#include "virtual_config.h"

#include <cstdlib>

namespace zrb2x::virt {

std::filesystem::path configuredVirtualFolder() {
  if (const char* folder = std::getenv("ZRB2X_VIRTUAL"); folder && *folder) return folder;
  return registryVirtualFolder();
}

}  // namespace zrb2x::virt
