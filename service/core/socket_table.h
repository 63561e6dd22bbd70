// The service's socket numbers. Running programs keep the numbers they were
// given when they counted the devices, so a rescan must never move a reader
// to another number: a reader that is still there keeps its number, a new
// reader takes a free number (or a new one at the end), and the number of a
// reader that went away stays vacant ("no card") until nobody can still mean
// that reader by it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zrb2x::service {

struct SocketSlot {
  std::string identity;     // the reader at this number, or the one that was last
  bool present = false;     // the reader is in the device list now
  uint32_t listIndex = 0;   // its position in the device library's list
  uint64_t changedAt = 0;   // rescan generation at which this number last got or lost a reader
  uint64_t vanishedAt = 0;  // rescan generation at which its reader went away
};

class SocketTable {
 public:
  // `identities` is the device list of a rescan, in list order (an empty
  // identity matches nothing). `reusable` says whether a vacant number may be
  // given to a new reader.
  void update(const std::vector<std::string>& identities, uint64_t generation,
              const std::function<bool(uint32_t number)>& reusable);
  uint32_t count() const { return static_cast<uint32_t>(slots_.size()); }
  const SocketSlot* slot(uint32_t number) const { return number < slots_.size() ? &slots_[number] : nullptr; }

 private:
  std::vector<SocketSlot> slots_;
};

}  // namespace zrb2x::service
