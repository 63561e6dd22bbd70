// The accessor modules the card manager looks for, in loading order, each
// with the interface category its sockets belong to.
#pragma once

#include <cstdint>
#include <span>

namespace cardservice {

struct ModuleListRow {
  const char* fileName;
  uint32_t category;
};

std::span<const ModuleListRow> accessorModuleList();

}  // namespace cardservice
