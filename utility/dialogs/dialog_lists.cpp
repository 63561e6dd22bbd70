#include "dialog_lists.h"

namespace tessel {

std::vector<std::string> numberedItems(std::string_view word, unsigned count) {
  std::vector<std::string> items;
  items.reserve(count);
  for (unsigned n = 1; n <= count; ++n) items.push_back(std::string(word) + std::to_string(n));
  return items;
}

}  // namespace tessel
