#include "chip_table.h"

#include <array>
#include <initializer_list>

namespace zrb2x {
namespace {

constexpr uint32_t kKindEeprom = 4, kKindFlash = 5, kKindSram = 6, kKindDram = 7, kKindAta = 13;

struct FlashRow {
  std::array<uint16_t, 6> ids;  // unused slots are 0; no chip identifier is 0
  ChipParameters parameters;
};

constexpr FlashRow kFlashRows[] = {
    // identifiers                                   family code chipSize    erase    write  volt
    {{0x7E01}, {6, 10, 0x800000, 0x20000, 2, 50}},
    {{0x7EC2}, {6, 11, 0x2000000, 0x40000, 2, 50}},
    {{0xA701, 0x8F04, 0xD01C, 0xB431, 0xB489, 0x0EAE}, {1, 1, 0x40000, 0x40000, 2, 120}},
    {{0x2A01, 0xBD31, 0xBD89}, {1, 2, 0x80000, 0x80000, 2, 120}},
    {{0xA289}, {2, 3, 0x200000, 0x20000, 2, 120}},
    {{0xA089}, {2, 3, 0x400000, 0x20000, 2, 120}},
    {{0xA789}, {2, 8, 0x100000, 0x20000, 2, 50}},
    {{0xA689, 0x88B0}, {2, 8, 0x200000, 0x20000, 2, 50}},
    {{0xAA89, 0xA8B0}, {2, 8, 0x400000, 0x20000, 2, 50}},
    {{0x2901}, {3, 4, 0x40000, 0x40000, 2, 50}},
    {{0xA201}, {3, 5, 0x80000, 0x80000, 2, 50}},
    {{0x2001, 0xF804}, {4, 6, 0x40000, 0x8000, 2, 50}},
    {{0xA401, 0xA404}, {4, 7, 0x100000, 0x20000, 2, 50}},
    {{0xD501, 0x3801, 0xD504, 0x3804}, {4, 7, 0x200000, 0x20000, 2, 50}},
    {{0xAD01, 0x3D01, 0xAD04, 0x3D04}, {4, 7, 0x400000, 0x20000, 2, 50}},
    {{0xD404}, {4, 7, 0x800000, 0x20000, 2, 50}},
    {{0x7E04, 0xD704, 0x9598, 0x9398}, {4, 7, 0x1000000, 0x20000, 2, 50}},
    {{0xDC1F}, {5, 9, 0x10000, 0x80, 0x80, 50}},
    {{0x5D1F}, {5, 9, 0x20000, 0x100, 0x100, 50}},
    {{0xD51F}, {5, 9, 0x40000, 0x100, 0x100, 50}},
    {{0xDA1F}, {5, 9, 0x80000, 0x200, 0x200, 50}},
    {{0x5B1F}, {5, 9, 0x100000, 0x200, 0x200, 50}},
};

constexpr ChipParameters kByteMemory{0, 0, 0, 2, 2, 0};
constexpr ChipParameters kSectorMemory{1, 0, 0, 512, 512, 0};

}  // namespace

const ChipParameters* findFlashChip(uint32_t chipId) {
  const uint16_t id = static_cast<uint16_t>(chipId & 0xFFFF);
  if (id == 0) return nullptr;
  for (const auto& row : kFlashRows)
    for (uint16_t listed : row.ids)
      if (listed == id) return &row.parameters;
  return nullptr;
}

ChipParameters chipParameters(uint32_t kind, uint32_t chipId) {
  switch (kind) {
    case kKindEeprom:
    case kKindSram:
    case kKindDram:
      return kByteMemory;
    case kKindAta:
      return kSectorMemory;
    case kKindFlash: {
      const ChipParameters* row = findFlashChip(chipId);
      return row ? *row : ChipParameters{};
    }
    default:
      return ChipParameters{};
  }
}

}  // namespace zrb2x
