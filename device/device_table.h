// The region table that a ZRB-2x reader-writer keeps per card slot, as the
// device operations hand it between the accessor, the pipe and the device
// library. This is its chief header; it crosses the pipe between the accessor
// module and the access service.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zrb2x {

constexpr uint32_t kRegionCount = 5;  // four common-memory regions, then attribute memory
constexpr uint32_t kAttributeRegion = 4;

#pragma pack(push, 1)

struct RegionEntry {
  uint32_t kind;        // device type code (cardservice::DeviceKind)
  uint32_t deviceCode;  // the reader-writer's own programming-algorithm code (chip table)
  uint32_t size;        // bytes
  uint32_t chipId;      // JEDEC identifier, low 16 bits used; 0 unless kind is flash
};
static_assert(sizeof(RegionEntry) == 16);
static_assert(offsetof(RegionEntry, kind) == 0);
static_assert(offsetof(RegionEntry, deviceCode) == 4);
static_assert(offsetof(RegionEntry, size) == 8);
static_assert(offsetof(RegionEntry, chipId) == 12);

struct DeviceTable {
  uint32_t valid;  // 1 when read from the device
  RegionEntry region[kRegionCount];
};
static_assert(sizeof(DeviceTable) == 84);
static_assert(offsetof(DeviceTable, valid) == 0);
static_assert(offsetof(DeviceTable, region) == 4);

#pragma pack(pop)

}  // namespace zrb2x
