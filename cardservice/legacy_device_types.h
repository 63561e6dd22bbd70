// Translation between the legacy device-type codes of SlotHubService and the
// DeviceRecord of VESKCM/VESKCI, in both directions.
#pragma once

#include <cstdint>
#include <span>

#include "card_service.h"

namespace cardservice {

// One legacy code and the DeviceRecord the manager builds from it (size aside,
// which always comes from the legacy record).
struct LegacyDeviceType {
  uint16_t code;
  const char* name;  // the card utility's name, or nullptr for codes it does not list
  uint32_t kind, chipId, family, chipSize, eraseUnit, writeUnit, voltage;
};

// Every known legacy code, in table order.
std::span<const LegacyDeviceType> legacyDeviceTypes();

// The card utility's device-type list, in its display order.
std::span<const uint16_t> legacyDeviceTypeListOrder();

// The legacy type's row, or nullptr for an unknown code.
const LegacyDeviceType* findLegacyDeviceType(uint16_t code);

// Legacy record -> DeviceRecord; an unknown code gives an all-zero record with
// the legacy size.
DeviceRecord deviceRecordFromLegacy(const LegacyDeviceRecord& legacy);

// DeviceRecord -> legacy record (size and low 16 bits of chipId copied, type by rule).
LegacyDeviceRecord legacyFromDeviceRecord(const DeviceRecord& record);

// Only the type code of the reverse translation.
uint16_t legacyTypeOf(const DeviceRecord& record);

constexpr uint16_t kLegacyUnknown = 7;

}  // namespace cardservice
