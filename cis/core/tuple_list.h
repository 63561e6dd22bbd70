// The tuple list dialog's own copies of the caller's records: the code of each
// entry stored at offset 4, and each function extension (0x22) given the
// function code of the nearest function identification (0x21) before it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cis_records.h"

namespace cis {

std::vector<std::unique_ptr<CisTupleRecord>> prepareTupleCopies(const CisTupleEntry* entries, unsigned count);

// One line of the tuple list: the name shown and the copy the viewer gets.
struct ListedTuple {
  std::string name;  // Shift-JIS
  std::unique_ptr<CisTupleRecord> copy;
};

// The list's lines in entry order. The name comes from the entry's whole
// code: a code above 255 is no tuple code and is listed as invalid, not as
// the tuple its low byte happens to name (the copy keeps the low byte).
std::vector<ListedTuple> prepareTupleList(const CisTupleEntry* entries, unsigned count);

}  // namespace cis
