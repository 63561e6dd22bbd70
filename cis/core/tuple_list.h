// The tuple list dialog's own copies of the caller's records: the code of each
// entry stored at offset 4, and each function extension (0x22) given the
// function code of the nearest function identification (0x21) before it.
#pragma once

#include <memory>
#include <vector>

#include "cis_records.h"

namespace cis {

std::vector<std::unique_ptr<CisTupleRecord>> prepareTupleCopies(const CisTupleEntry* entries, unsigned count);

}  // namespace cis
