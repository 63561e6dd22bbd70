// The card utility's own device-type tables: the names it lists, the erase
// block it assumes and the chip identifier it sends for each legacy code.
//
// The card manager keeps a legacy table of its own (cardservice/
// legacy_device_types.h) from which it builds the device record it stores;
// the two differ (codes 4, 68, 6 and 7 among others) because each side was
// fixed for its own purpose: the manager's rows describe programming
// families, the utility's rows are what it sends when the user picks a type.
// What a card window shows of a region is therefore what the card reports
// back (FN_GET_DEVICE), never this table's guess.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessel {

struct DeviceTypeRow {
  uint16_t code;
  const char* name;
};

// The 14 device types in list order; a code's position is its list index.
std::span<const DeviceTypeRow> deviceTypeList();
constexpr unsigned kDeviceTypeCount = 14;
constexpr uint16_t kTypeUnknown = 7;
constexpr uint16_t kTypeAta = 8;

// Position of `code` in the list, kDeviceTypeCount when it is not listed.
unsigned deviceTypeIndex(uint16_t code);
// The list name; a code the list lacks (the manager can report 131, 134,
// 197) is named by its number, "Type 134", so that it is never mistaken for
// a listed type.
std::string deviceTypeName(uint16_t code);

uint32_t deviceEraseUnit(uint16_t code);
uint16_t deviceChipId(uint16_t code);

// The six entries of the transfer dialogs' file type boxes, in box order.
constexpr unsigned kFileTypeCount = 6;
std::string_view fileTypeName(unsigned index);

}  // namespace tessel
