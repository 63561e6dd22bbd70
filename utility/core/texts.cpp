#include "texts.h"

#include <algorithm>
#include <iterator>

namespace tessel {
namespace {

struct TableRow {
  uint16_t id;
  const char* text;
};

constexpr TableRow kTable[] = {
#include "tessel_strings_table.inc"
};

// Message texts sit at this id plus the result code.
constexpr uint16_t kResultTextBase = 1000;

}  // namespace

std::string_view text(uint16_t id) {
  auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                             [](const TableRow& row, uint16_t key) { return row.id < key; });
  return it != std::end(kTable) && it->id == id ? std::string_view(it->text) : std::string_view();
}

std::string_view resultText(uint16_t code) {
  std::string_view own = code < 0xFFFF - kResultTextBase ? text(static_cast<uint16_t>(kResultTextBase + code))
                                                         : std::string_view();
  return own.empty() ? text(sid::kErrorCode) : own;
}

}  // namespace tessel
