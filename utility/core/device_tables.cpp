#include "device_tables.h"

#include <algorithm>
#include <iterator>

#include "texts.h"

namespace tessel {
namespace {

constexpr DeviceTypeRow kDeviceTypes[kDeviceTypeCount] = {
    {0, "SRAM"},    {1, "EEPROM"},   {2, "28F010"},  {66, "28F020"},  {3, "28F008~"},
    {4, "28F010A"}, {68, "28F020A"}, {5, "29F010"},  {69, "29F040~"}, {6, "28F008_5V~"},
    {9, "S29GL~"},  {10, "MX29GL~"}, {7, "UNKNOWN"}, {8, "ATA"},
};

struct CodeValue {
  uint16_t code;
  uint32_t value;
};

constexpr uint32_t kDefaultEraseUnit = 0x10000;
constexpr CodeValue kEraseUnits[] = {
    {0, 2},       {1, 2},        {2, 0x40000}, {4, 0x40000}, {10, 0x40000}, {3, 0x20000},  {6, 0x20000},
    {9, 0x20000}, {69, 0x20000}, {5, 0x8000},  {8, 0x200},   {66, 0x80000}, {68, 0x80000},
};

constexpr CodeValue kChipIds[] = {
    {2, 0xB489},  {3, 0xA289},  {131, 0xA289}, {4, 0xA201},  {5, 0x2001},   {6, 0xA8B0},   {9, 0x7E01},
    {10, 0x7EC2}, {66, 0xBD89}, {68, 0x2901},  {69, 0xA401}, {134, 0xD0B0}, {197, 0xD704},
};

template <std::size_t N>
uint32_t lookUp(const CodeValue (&table)[N], uint16_t code, uint32_t otherwise) {
  auto it = std::find_if(std::begin(table), std::end(table),
                         [code](const CodeValue& row) { return row.code == code; });
  return it != std::end(table) ? it->value : otherwise;
}

}  // namespace

std::span<const DeviceTypeRow> deviceTypeList() { return kDeviceTypes; }

unsigned deviceTypeIndex(uint16_t code) {
  auto it = std::find_if(std::begin(kDeviceTypes), std::end(kDeviceTypes),
                         [code](const DeviceTypeRow& row) { return row.code == code; });
  return static_cast<unsigned>(it - std::begin(kDeviceTypes));
}

std::string deviceTypeName(uint16_t code) {
  unsigned index = deviceTypeIndex(code);
  return index < kDeviceTypeCount ? std::string(kDeviceTypes[index].name) : "Type " + std::to_string(code);
}

uint32_t deviceEraseUnit(uint16_t code) { return lookUp(kEraseUnits, code, kDefaultEraseUnit); }

uint16_t deviceChipId(uint16_t code) { return static_cast<uint16_t>(lookUp(kChipIds, code, 0)); }

std::string_view fileTypeName(unsigned index) {
  return index < kFileTypeCount ? text(static_cast<uint16_t>(sid::kFileType0 + index)) : std::string_view();
}

}  // namespace tessel
