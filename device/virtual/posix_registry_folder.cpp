// The host has no registry: only the environment names the folder.
#include "virtual_config.h"

namespace zrb2x::virt {

std::string registryVirtualFolder() { return {}; }

}  // namespace zrb2x::virt
