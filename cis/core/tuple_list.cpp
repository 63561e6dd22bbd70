#include "tuple_list.h"

#include <cstring>
#include <new>

#include "decode.h"

namespace cis {

std::vector<std::unique_ptr<CisTupleRecord>> prepareTupleCopies(const CisTupleEntry* entries,
                                                                unsigned count) {
  std::vector<std::unique_ptr<CisTupleRecord>> copies;
  if (!entries) return copies;
  uint16_t functionCode = 0;
  for (unsigned i = 0; i < count; ++i) {
    std::unique_ptr<CisTupleRecord> copy(new (std::nothrow) CisTupleRecord);
    if (!copy) break;  // out of memory: the tuples so far are shown
    // An entry without a record is listed by its code with no data.
    if (entries[i].record)
      std::memcpy(copy.get(), entries[i].record, sizeof(CisTupleRecord));
    else
      std::memset(copy.get(), 0, sizeof(CisTupleRecord));
    uint8_t code = static_cast<uint8_t>(entries[i].code & 0xFF);
    copy->requestedCode = code;
    if (code == 0x21) functionCode = copy->data[0];
    if (code == 0x22) copy->attributeWord = functionCode;
    copies.push_back(std::move(copy));
  }
  return copies;
}

std::vector<ListedTuple> prepareTupleList(const CisTupleEntry* entries, unsigned count) {
  std::vector<ListedTuple> list;
  auto copies = prepareTupleCopies(entries, count);
  list.reserve(copies.size());
  // Copies are made in entry order and stop only at the end or when memory
  // runs out, so copy i belongs to entry i.
  for (size_t i = 0; i < copies.size(); ++i)
    list.push_back({tupleName(entries[i].code), std::move(copies[i])});
  return list;
}

}  // namespace cis
