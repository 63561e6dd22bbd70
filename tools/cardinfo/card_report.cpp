#include "card_report.h"

#include <cstdio>

#include "legacy_device_types.h"

namespace cardinfo {

using namespace cardservice;

namespace {

std::string format(const char* pattern, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

const char* batteryText(uint8_t status) {
  if (status & STATUS_BATTERY_DEAD) return "battery dead";
  if (status & STATUS_BATTERY_LOW) return "battery low";
  return "battery good";
}

std::string typeName(uint16_t type) {
  const LegacyDeviceType* known = findLegacyDeviceType(type);
  if (known && known->name) return known->name;
  return format("type %u", static_cast<unsigned>(type));
}

// The region list the way the card utility reads it: common memory at 0,
// size0, size0 + size1, ... until a call fails or four regions are read.
void appendRegions(cardservice::CardManagerCalls& manager, uint8_t socket, std::string& report) {
  uint32_t offset = 0;
  for (int region = 0; region < static_cast<int>(kMaxCommonRegions); ++region) {
    SlotRequest request{socket, 0, offset};
    LegacyDeviceRecord record{};
    if (manager.service(FN_GET_DEVICE, &request, &record, sizeof record) != CS_OK) break;
    const uint32_t size = record.size;
    report += format("  common region %d: %s, %lu bytes at 0x%lX", region, typeName(record.type).c_str(),
                     static_cast<unsigned long>(size), static_cast<unsigned long>(offset));
    report += record.chipId ? format(", chip %04X\n", static_cast<unsigned>(record.chipId)) : "\n";
    if (size == 0) break;
    offset += size;
  }
  SlotRequest request{socket, 1, 0};
  LegacyDeviceRecord record{};
  const int32_t result = manager.service(FN_GET_DEVICE, &request, &record, sizeof record);
  if (result == CS_OK) {
    const uint32_t size = record.size;
    report += format("  attribute memory: %s, %lu bytes\n", typeName(record.type).c_str(),
                     static_cast<unsigned long>(size));
  } else {
    report += format("  attribute memory: error %d\n", static_cast<int>(result));
  }
}

}  // namespace

std::string describeStatus(uint8_t status) {
  std::string text = (status & STATUS_CARD_PRESENT) ? "card present" : "no card";
  text += (status & STATUS_USABLE) ? ", usable" : ", not usable";
  if (status & STATUS_CARD_PRESENT) {
    text += ", ";
    text += batteryText(status);
    text += (status & STATUS_WRITE_PROTECTED) ? ", write-protected" : ", writable";
  }
  return text;
}

std::string buildReport(cardservice::CardManagerCalls& manager) {
  std::string report;
  const int32_t opened = manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr);
  ManagerInfo info{};
  manager.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info);
  report +=
      format("card manager %lu.%lu.%lu.%lu, %lu socket(s)%s\n", static_cast<unsigned long>(info.versionMajor),
             static_cast<unsigned long>(info.versionMinor), static_cast<unsigned long>(info.versionRelease),
             static_cast<unsigned long>(info.versionBuild), static_cast<unsigned long>(info.socketCount),
             opened == CS_OK ? "" : " (no accessor module serves a socket)");
  const uint32_t sockets = info.socketCount < kMaxGlobalSockets ? info.socketCount : kMaxGlobalSockets;
  for (uint32_t socket = 0; socket < sockets; ++socket) {
    const uint32_t category = info.socketCategory[socket];
    const char* categoryName = category < kCategoryCount ? kCategoryNames[category] : "?";
    SlotRequest request{static_cast<uint8_t>(socket), 0, 0};
    uint8_t status = 0;
    const int32_t result = manager.service(FN_STATUS, &request, &status, 1);
    if (result != CS_OK) {
      report += format("socket %lu (%s): status error %d\n", static_cast<unsigned long>(socket), categoryName,
                       static_cast<int>(result));
      continue;
    }
    report += format("socket %lu (%s): %s\n", static_cast<unsigned long>(socket), categoryName,
                     describeStatus(status).c_str());
    if (cardReady(status)) appendRegions(manager, static_cast<uint8_t>(socket), report);
  }
  manager.veskcm(FN_CLOSE, 0, 0, 0, 0, nullptr);
  return report;
}

}  // namespace cardinfo
