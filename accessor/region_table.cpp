#include "region_table.h"

#include "chip_table.h"

namespace accessor {

using namespace cardservice;
using zrb2x::kAttributeRegion;
using zrb2x::RegionEntry;

namespace {

// Kinds the reader-writer can drive in common memory: 1 to 7 and ATA.
bool usableCommonKind(uint32_t kind) { return (kind >= 1 && kind <= 7) || kind == KIND_FUNCTION_SPECIFIC; }

// Attribute memory is byte memory; no ATA or unknown description applies to it.
bool usableAttributeKind(uint32_t kind) { return kind >= 1 && kind <= 7; }

// A quirk of cards with the 0xA404 flash: the reader-writer reports their
// attribute region as 1 MB, while the attribute memory holds 4 KB.
constexpr uint32_t kQuirkChipId = 0xA404, kQuirkReportedSize = 0x100000, kQuirkAttributeSize = 4096;

}  // namespace

void applyRegionDefaults(zrb2x::DeviceTable& table) {
  RegionEntry& common = table.region[0];
  if (!usableCommonKind(common.kind)) common = RegionEntry{KIND_SRAM, 0, kDefaultCommonSize, 0};
  if (common.size == 0) common.size = kDefaultCommonSize;

  RegionEntry& attribute = table.region[kAttributeRegion];
  if (!usableAttributeKind(attribute.kind)) attribute = RegionEntry{KIND_EEPROM, 0, kDefaultAttributeSize, 0};
  if (attribute.size == 0) attribute.size = kDefaultAttributeSize;
  if (attribute.chipId == kQuirkChipId && attribute.size == kQuirkReportedSize)
    attribute.size = kQuirkAttributeSize;
}

int32_t findDescribableRegion(const zrb2x::DeviceTable& table, uint32_t space, uint32_t offset,
                              RegionHit& hit) {
  const uint32_t first = space == 0 ? 0 : kAttributeRegion;
  const uint32_t end = space == 0 ? kMaxCommonRegions : kAttributeRegion + 1;
  uint64_t start = 0;  // four 32-bit sizes may add up past 4 GB
  for (uint32_t i = first; i < end; ++i) {
    const RegionEntry& entry = table.region[i];
    if (entry.size == 0) break;
    if (offset >= start && offset < start + entry.size) {
      hit = RegionHit{i, static_cast<uint32_t>(start)};
      return CS_OK;
    }
    start += entry.size;
  }
  return CS_BAD_OFFSET;
}

int32_t findRegion(const zrb2x::DeviceTable& table, uint32_t space, uint32_t offset, RegionHit& hit) {
  RegionHit found{};
  if (int32_t result = findDescribableRegion(table, space, offset, found); result != CS_OK) return result;
  if (table.region[found.index].kind == KIND_NONE) return CS_BAD_OFFSET;
  hit = found;
  return CS_OK;
}

DeviceRecord deviceRecordFromEntry(const RegionEntry& entry) {
  const zrb2x::ChipParameters chip = zrb2x::chipParameters(entry.kind, entry.chipId);
  DeviceRecord record{};
  record.kind = entry.kind;
  record.size = entry.size;
  record.chipId = entry.kind == KIND_FLASH ? entry.chipId : 0;
  record.family = chip.family;
  record.chipSize = chip.chipSize;
  record.eraseUnit = chip.eraseUnit;
  record.writeUnit = chip.writeUnit;
  record.voltage = chip.voltage;
  return record;
}

namespace {
// The reader-writer keeps the kind in one byte.
uint32_t storedKind(const DeviceRecord& record) { return record.kind & 0xFF; }
}  // namespace

int32_t checkSettableRecord(const DeviceRecord& record) {
  if (record.family >= 128) return CS_DEVICE_FAILURE;
  if (storedKind(record) == KIND_NONE) return CS_DEVICE_FAILURE;
  if (storedKind(record) == KIND_FUNCTION_SPECIFIC) return record.family == 1 ? CS_OK : CS_DEVICE_FAILURE;
  if (record.size < kMinSettableSize || record.size > kMaxSettableSize) return CS_DEVICE_FAILURE;
  return CS_OK;
}

RegionEntry entryFromDeviceRecord(const DeviceRecord& record) {
  const uint32_t kind = storedKind(record);
  const uint32_t chipId = kind == KIND_FLASH ? (record.chipId & 0xFFFF) : 0;
  return RegionEntry{kind, zrb2x::chipParameters(kind, chipId).deviceCode, record.size, chipId};
}

}  // namespace accessor
