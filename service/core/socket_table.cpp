#include "socket_table.h"

namespace zrb2x::service {

void SocketTable::update(const std::vector<std::string>& identities, uint64_t generation,
                         const std::function<bool(uint32_t)>& reusable) {
  std::vector<bool> wasPresent(slots_.size());
  for (size_t n = 0; n < slots_.size(); ++n) {
    wasPresent[n] = slots_[n].present;
    slots_[n].present = false;
  }
  std::vector<uint32_t> newcomers;
  for (uint32_t index = 0; index < identities.size(); ++index) {
    const std::string& identity = identities[index];
    bool placed = false;
    for (size_t n = 0; n < slots_.size() && !identity.empty() && !placed; ++n) {
      SocketSlot& s = slots_[n];
      if (s.present || s.identity != identity) continue;
      s.present = true;
      s.listIndex = index;
      // A reader that comes back may hold another card by now.
      if (!wasPresent[n]) s.changedAt = generation;
      placed = true;
    }
    if (!placed) newcomers.push_back(index);
  }
  for (size_t n = 0; n < slots_.size(); ++n)
    if (wasPresent[n] && !slots_[n].present) slots_[n].changedAt = slots_[n].vanishedAt = generation;

  for (uint32_t index : newcomers) {
    SocketSlot* free = nullptr;
    for (size_t n = 0; n < slots_.size() && !free; ++n)
      if (!slots_[n].present && reusable(static_cast<uint32_t>(n))) free = &slots_[n];
    // A number taken over from a reader that went away is a card change; a
    // number new to everybody is none.
    const uint64_t changedAt = free ? generation : 0;
    if (!free) free = &slots_.emplace_back();
    *free = SocketSlot{identities[index], true, index, changedAt, 0};
  }
  // Vacant numbers at the end that nobody can mean any more need not be
  // counted.
  while (!slots_.empty() && !slots_.back().present && reusable(count() - 1)) slots_.pop_back();
}

}  // namespace zrb2x::service
