// Tuple records for the tests, filled like the card utility fills them.
#pragma once

#include <cstring>
#include <initializer_list>
#include <vector>

#include "cis_records.h"

namespace cis::test {

inline CisTupleRecord tuple(uint8_t code, std::initializer_list<uint8_t> data, uint16_t functionCode = 1) {
  CisTupleRecord record;
  std::memset(&record, 0, sizeof record);
  record.attributeWord = functionCode;
  record.requestedCode = code;
  record.cardCode = code;
  record.cardLink = static_cast<uint8_t>(data.size());
  record.dataLength = static_cast<uint16_t>(data.size());
  std::copy(data.begin(), data.end(), record.data);
  return record;
}

inline CisTupleRecord tuple(uint8_t code, const std::vector<uint8_t>& data) {
  CisTupleRecord record = tuple(code, {});
  record.dataLength = static_cast<uint16_t>(data.size());
  std::memcpy(record.data, data.data(), std::min<size_t>(data.size(), sizeof record.data));
  return record;
}

}  // namespace cis::test
