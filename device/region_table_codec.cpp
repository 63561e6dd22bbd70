#include "region_table_codec.h"

#include <cstring>

#include "big_endian.h"

namespace zrb2x {
namespace {

constexpr uint32_t kRawLength = 42;
constexpr uint32_t kEntryOffset[kRegionCount] = {2, 10, 18, 26, 34};

bool sizeInWords(uint32_t region, uint32_t revision) {
  return region == kAttributeRegion && revision < kRevisionAttributeInBytes;
}

}  // namespace

DeviceTable decodeRegionTable(const uint8_t* raw, uint32_t revision) {
  DeviceTable table{};
  table.valid = 1;
  for (uint32_t i = 0; i < kRegionCount; ++i) {
    const uint8_t* e = raw + kEntryOffset[i];
    RegionEntry entry{};
    entry.kind = e[0];
    entry.deviceCode = e[1];
    entry.size = getBig32(e + 2);
    if (sizeInWords(i, revision)) entry.size *= 2;
    entry.chipId = getLittle16(e + 6);
    table.region[i] = entry;
  }
  return table;
}

void encodeRegionTable(const DeviceTable& table, uint32_t revision, uint8_t* raw) {
  std::memset(raw, 0, kRawLength);
  raw[0] = kRawLength - 1;
  for (uint32_t i = 0; i < kRegionCount; ++i) {
    const RegionEntry entry = table.region[i];
    uint8_t* e = raw + kEntryOffset[i];
    e[0] = static_cast<uint8_t>(entry.kind);
    e[1] = static_cast<uint8_t>(entry.deviceCode);
    putBig32(e + 2, sizeInWords(i, revision) ? entry.size / 2 : entry.size);
    putLittle16(e + 6, entry.chipId);
  }
}

}  // namespace zrb2x
