// Bounded reads of a tuple's data: the valid length, never more than the
// record's 256 data bytes, whatever length the record claims.
#pragma once

#include <algorithm>
#include <cstdint>

#include "cis_records.h"

namespace cis {

class TupleData {
 public:
  explicit TupleData(const CisTupleRecord& record)
      : data_(record.data), length_(std::min<unsigned>(record.dataLength, kTupleDataCapacity)) {}

  unsigned length() const { return length_; }
  const uint8_t* bytes() const { return data_; }
  bool has(unsigned offset, unsigned count = 1) const {
    return offset <= length_ && count <= length_ - offset;
  }
  unsigned byte(unsigned offset) const { return has(offset) ? data_[offset] : 0; }
  // Little-endian value of `width` bytes (0-4) at `offset`; callers check has() first.
  uint32_t le(unsigned offset, unsigned width) const {
    uint32_t value = 0;
    for (unsigned i = 0; i < width && i < 4 && has(offset + i); ++i)
      value |= uint32_t{data_[offset + i]} << (8 * i);
    return value;
  }

 private:
  const uint8_t* data_;
  unsigned length_;
};

}  // namespace cis
