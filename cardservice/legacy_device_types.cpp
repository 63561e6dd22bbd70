#include "legacy_device_types.h"

#include <array>

namespace cardservice {
namespace {

constexpr std::array<LegacyDeviceType, 17> kTypes{{
    // code  name           kind chipId  family chipSize  eraseUnit writeUnit voltage
    {0, "SRAM", 6, 0, 0, 0, 0x2, 0x2, 0},
    {1, "EEPROM", 4, 0, 0, 0, 0x2, 0x2, 0},
    {2, "28F010", 5, 0xB489, 1, 0x40000, 0x40000, 2, 120},
    {66, "28F020", 5, 0xBD89, 1, 0x80000, 0x80000, 2, 120},
    {3, "28F008~", 5, 0xA289, 2, 0x200000, 0x20000, 2, 120},
    {4, "28F010A", 5, 0x2901, 3, 0x40000, 0x40000, 2, 120},
    {68, "28F020A", 5, 0xA201, 3, 0x80000, 0x80000, 2, 120},
    {5, "29F010", 5, 0x2001, 4, 0x40000, 0x8000, 2, 50},
    {69, "29F040~", 5, 0xA401, 4, 0x100000, 0x20000, 2, 50},
    {6, "28F008_5V~", 5, 0x88B0, 2, 0x200000, 0x20000, 2, 50},
    {9, "S29GL~", 5, 0x7E01, 6, 0x800000, 0x20000, 2, 50},
    {10, "MX29GL~", 5, 0x7EC2, 6, 0x2000000, 0x40000, 2, 50},
    {7, "UNKNOWN", 1, 0, 0, 0, 0, 0, 0},
    {8, "ATA", 13, 0, 1, 0, 0x200, 0x200, 0},
    {131, nullptr, 5, 0xA289, 130, 0x100000, 0x10000, 2, 120},
    {134, nullptr, 5, 0x88B0, 130, 0x100000, 0x10000, 2, 50},
    {197, nullptr, 5, 0x7E04, 132, 0x80000, 0x10000, 2, 50},
}};

constexpr std::array<uint16_t, 14> kListOrder{0, 1, 2, 66, 3, 4, 68, 5, 69, 6, 9, 10, 7, 8};

// Reverse translation rules, first match wins. A rule matches a kind, and
// optionally a family and one field's value.
enum class Field { None, ChipSize, EraseUnit, Voltage };
constexpr uint32_t kAnyFamily = 0xFFFFFFFF;

struct ReverseRule {
  uint32_t kind;
  uint32_t family;
  Field field;
  uint32_t value;
  uint16_t type;
};

constexpr std::array<ReverseRule, 17> kReverseRules{{
    {KIND_SRAM, kAnyFamily, Field::None, 0, 0},
    {KIND_EEPROM, kAnyFamily, Field::None, 0, 1},
    {KIND_FUNCTION_SPECIFIC, 1, Field::None, 0, 8},
    {KIND_FUNCTION_SPECIFIC, kAnyFamily, Field::None, 0, 7},
    {KIND_FLASH, 1, Field::ChipSize, 0x40000, 2},
    {KIND_FLASH, 1, Field::ChipSize, 0x80000, 66},
    {KIND_FLASH, 2, Field::Voltage, 50, 6},
    {KIND_FLASH, 2, Field::Voltage, 120, 3},
    {KIND_FLASH, 3, Field::ChipSize, 0x40000, 4},
    {KIND_FLASH, 3, Field::ChipSize, 0x80000, 68},
    {KIND_FLASH, 4, Field::EraseUnit, 0x8000, 5},
    {KIND_FLASH, 4, Field::EraseUnit, 0x20000, 69},
    {KIND_FLASH, 6, Field::EraseUnit, 0x20000, 9},
    {KIND_FLASH, 6, Field::EraseUnit, 0x40000, 10},
    {KIND_FLASH, 130, Field::Voltage, 50, 134},
    {KIND_FLASH, 130, Field::Voltage, 120, 131},
    {KIND_FLASH, 132, Field::EraseUnit, 0x10000, 197},
}};

uint32_t fieldValue(const DeviceRecord& record, Field field) {
  switch (field) {
    case Field::ChipSize:
      return record.chipSize;
    case Field::EraseUnit:
      return record.eraseUnit;
    case Field::Voltage:
      return record.voltage;
    case Field::None:
      break;
  }
  return 0;
}

bool matches(const ReverseRule& rule, const DeviceRecord& record) {
  if (rule.kind != record.kind) return false;
  if (rule.family != kAnyFamily && rule.family != record.family) return false;
  return rule.field == Field::None || fieldValue(record, rule.field) == rule.value;
}

}  // namespace

std::span<const LegacyDeviceType> legacyDeviceTypes() { return kTypes; }

std::span<const uint16_t> legacyDeviceTypeListOrder() { return kListOrder; }

const LegacyDeviceType* findLegacyDeviceType(uint16_t code) {
  for (const auto& type : kTypes)
    if (type.code == code) return &type;
  return nullptr;
}

DeviceRecord deviceRecordFromLegacy(const LegacyDeviceRecord& legacy) {
  DeviceRecord record{};
  if (const auto* type = findLegacyDeviceType(legacy.type)) {
    record = {type->kind,   0, type->chipId, type->family, type->chipSize, type->eraseUnit, type->writeUnit,
              type->voltage};
  }
  record.size = legacy.size;
  return record;
}

uint16_t legacyTypeOf(const DeviceRecord& record) {
  for (const auto& rule : kReverseRules)
    if (matches(rule, record)) return rule.type;
  return kLegacyUnknown;
}

LegacyDeviceRecord legacyFromDeviceRecord(const DeviceRecord& record) {
  return {legacyTypeOf(record), static_cast<uint16_t>(record.chipId & 0xFFFF), record.size};
}

}  // namespace cardservice
