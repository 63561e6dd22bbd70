#include "ata_operations.h"

#include <cstring>

#include "big_endian.h"
#include "commands.h"
#include "device_result.h"

namespace zrb2x {
namespace {

using cmd::AtaSub;

uint32_t runWithData(DeviceLink& link, uint8_t* taskFile, AtaSub dataSub, void* data, uint16_t sectors) {
  if (!taskFile) return result::kInvalidField;
  if (uint32_t r = cmd::ataPassThrough(link, AtaSub::WriteTaskFile, 0, taskFile)) return r;
  if (uint32_t r = cmd::ataPassThrough(link, dataSub, sectors, data)) return r;
  return cmd::ataPassThrough(link, AtaSub::ReadTaskFile, 0, taskFile + 8);
}

uint32_t word(const uint8_t* sector, int index) { return getLittle16(sector + 2 * index); }

}  // namespace

uint32_t ataCommandNoData(DeviceLink& link, uint8_t* taskFile) {
  return runWithData(link, taskFile, AtaSub::Execute, nullptr, 0);
}

uint32_t ataCommandDataOut(DeviceLink& link, uint8_t* taskFile, const void* data, uint16_t sectors) {
  if (!data || !sectors) return result::kAborted;
  return runWithData(link, taskFile, AtaSub::WriteData, const_cast<void*>(data), sectors);
}

uint32_t ataCommandDataIn(DeviceLink& link, uint8_t* taskFile, void* data, uint16_t sectors) {
  if (!data || !sectors) return result::kAborted;
  return runWithData(link, taskFile, AtaSub::ReadData, data, sectors);
}

uint32_t ataIdentify(DeviceLink& link, AtaGeometry* geometry) {
  if (!geometry) return result::kInvalidField;
  uint8_t taskFile[16] = {};
  taskFile[2] = 1;
  taskFile[6] = 0xE0;
  taskFile[7] = 0xEC;
  uint8_t sector[512];
  if (uint32_t r = ataCommandDataIn(link, taskFile, sector, 1)) return r;
  AtaGeometry g{};
  g.totalSectors = word(sector, 60) | (word(sector, 61) << 16);
  const bool current = word(sector, 54) != 0;
  g.cylinders = word(sector, current ? 54 : 1);
  g.heads = word(sector, current ? 55 : 3);
  g.sectorsPerTrack = word(sector, current ? 56 : 6);
  *geometry = g;
  return result::kOk;
}

uint32_t readCapacityValues(DeviceLink& link, uint32_t address, uint32_t* first, uint32_t* second) {
  if (!first || !second) return result::kInvalidField;
  uint8_t data[cmd::kCapacityLength];
  if (uint32_t r = cmd::readCapacity(link, address, data)) return r;
  *first = getBig32(data);
  *second = getBig32(data + 4);
  return result::kOk;
}

}  // namespace zrb2x
