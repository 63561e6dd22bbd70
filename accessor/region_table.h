// The region logic over the table that the reader-writer keeps per card slot:
// what a blank or half-described card is taken to be, which region holds an
// offset, and the conversions between table entries and device records.
#pragma once

#include <cstdint>

#include "card_service.h"
#include "device_table.h"

namespace accessor {

// A card without a usable description of common region 0 is treated as one
// large SRAM, and one without an attribute description as 2 KB of EEPROM,
// so that its memory can still be looked at.
constexpr uint32_t kDefaultCommonSize = 0x4000000;
constexpr uint32_t kDefaultAttributeSize = 2048;

// Limits of a region size that FN_SET_DEVICE accepts for byte-addressed kinds.
constexpr uint32_t kMinSettableSize = 512;
constexpr uint32_t kMaxSettableSize = 0x4000000;

void applyRegionDefaults(zrb2x::DeviceTable& table);

struct RegionHit {
  uint32_t index;  // table entry: 0 to 3 common memory, 4 attribute memory
  uint32_t start;  // offset of the region's first byte within its space
};

// The region of `space` whose range holds `offset`: CS_OK and `hit`, or
// CS_BAD_OFFSET when no described region holds it or the region has no kind.
int32_t findRegion(const zrb2x::DeviceTable& table, uint32_t space, uint32_t offset, RegionHit& hit);

// As findRegion, but a region that has a size and no kind is found too: it is
// no region to be shown or transferred, yet it must stay open to being
// described, or the card would have a range that nothing can ever reach.
int32_t findDescribableRegion(const zrb2x::DeviceTable& table, uint32_t space, uint32_t offset,
                              RegionHit& hit);

// Kind, size and chip identifier from the entry, the rest from the chip table.
cardservice::DeviceRecord deviceRecordFromEntry(const zrb2x::RegionEntry& entry);

// CS_OK when FN_SET_DEVICE may store the record, else CS_DEVICE_FAILURE. A
// record without a kind is refused: it would describe no region at all.
int32_t checkSettableRecord(const cardservice::DeviceRecord& record);

// The table entry the reader-writer is to keep for an accepted record.
zrb2x::RegionEntry entryFromDeviceRecord(const cardservice::DeviceRecord& record);

}  // namespace accessor
