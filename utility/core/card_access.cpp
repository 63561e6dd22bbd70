#include "card_access.h"

#include <algorithm>
#include <cstring>

#include "card_messages.h"
#include "device_tables.h"
#include "result_codes.h"

namespace tessel {

using cardservice::LegacyDeviceRecord;
using cardservice::SlotRequest;

CardAccess::CardAccess(cardservice::BindableCardManager& manager, UserMessages& messages)
    : manager_(manager), messages_(messages) {}

bool CardAccess::bindCardService() {
  if (manager_.bind() != cardservice::CS_OK) return false;
  cardservice::ManagerInfo info{};
  int32_t result = manager_.veskcm(cardservice::FN_INFO, 0, 0, 0, sizeof info, &info);
  if (result != cardservice::CS_OK) {
    showCardError(static_cast<uint16_t>(result));
    return false;
  }
  sockets_.count = static_cast<uint16_t>(std::min<uint32_t>(info.socketCount, kShownSockets));
  for (unsigned socket = 0; socket < kShownSockets; ++socket)
    sockets_.category[socket] = static_cast<uint8_t>(info.socketCategory[socket] & 0xFF);
  bound_ = true;
  return true;
}

void CardAccess::unbindCardService() {
  manager_.unbind();
  bound_ = false;
}

uint16_t CardAccess::call(uint32_t code, const SlotRequest& request, void* buffer, uint32_t length) {
  return static_cast<uint16_t>(manager_.service(code, &request, buffer, length));
}

uint16_t CardAccess::callSocket(uint32_t code, uint8_t socket, void* buffer, uint32_t length) {
  return call(code, SlotRequest{socket, 0, 0}, buffer, length);
}

uint16_t CardAccess::cardStatus(uint8_t socket, uint8_t& status) {
  return callSocket(cardservice::FN_STATUS, socket, &status, 1);
}

uint16_t CardAccess::cardGetDevice(const SlotRequest& request, LegacyDeviceRecord& record) {
  return call(cardservice::FN_GET_DEVICE, request, &record, sizeof record);
}

uint16_t CardAccess::cardSetDevice(const SlotRequest& request, const LegacyDeviceRecord& record) {
  LegacyDeviceRecord copy = record;  // the entry takes a mutable buffer
  return call(cardservice::FN_SET_DEVICE, request, &copy, sizeof copy);
}

uint16_t CardAccess::cardRead(const SlotRequest& request, void* destination, uint32_t length) {
  return call(cardservice::FN_READ, request, destination, length);
}

uint16_t CardAccess::cardWrite(const SlotRequest& request, const void* source, uint32_t length) {
  // The card manager only reads a write's buffer.
  return call(cardservice::FN_WRITE, request, const_cast<void*>(source), length);
}

uint16_t CardAccess::cardErase(const SlotRequest& request, uint32_t length) {
  return call(cardservice::FN_ERASE, request, nullptr, length);
}

uint16_t CardAccess::cardSelectRegion(uint8_t socket, uint8_t region) {
  return callSocket(cardservice::FN_SELECT_REGION, socket, &region, 1);
}

uint16_t CardAccess::cardSocketOptions(uint8_t socket, uint8_t options) {
  return callSocket(cardservice::FN_SOCKET_OPTIONS, socket, &options, 1);
}

uint16_t CardAccess::cardLock(uint8_t socket) {
  int32_t take = -1;
  return callSocket(cardservice::FN_LOCK, socket, &take, sizeof take);
}

uint16_t CardAccess::cardUnlock(uint8_t socket) {
  int32_t release = 0;
  return callSocket(cardservice::FN_LOCK, socket, &release, sizeof release);
}

uint16_t CardAccess::cardFlush(uint8_t socket) {
  return callSocket(cardservice::FN_FLUSH, socket, nullptr, 0);
}

uint16_t CardAccess::countRegions(uint8_t socket) {
  uint8_t status = 0;
  if (cardStatus(socket, status) != R_SUCCESS || !cardPresent(status)) return 0;
  SlotRequest request{socket, 0, 0};
  uint16_t count = 0;
  while (count < kMaxRegions) {
    LegacyDeviceRecord record{};
    if (cardGetDevice(request, record) != R_SUCCESS) break;
    request.offset += record.size;
    ++count;
  }
  return count;
}

namespace {

void storeArea(SocketInfo& info, unsigned area, uint16_t type, uint16_t chipId, uint32_t size) {
  info.deviceType[area] = static_cast<uint8_t>(type);
  info.chipId[area] = chipId;
  info.areaSize[area] = size;
  info.eraseUnit[area] = deviceEraseUnit(type);
}

}  // namespace

void CardAccess::readSocketInfo(uint8_t socket, SocketInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.regionCount = static_cast<uint8_t>(countRegions(socket));
  const SocketSettings& settings = socket < kShownSockets ? sockets_.settings[socket] : sockets_.settings[0];
  bool useDefault = socket < kShownSockets && settings.useDefault != 0;

  SlotRequest request{socket, 0, 0};
  for (unsigned area = 0; area < info.regionCount; ++area) {
    LegacyDeviceRecord record{};
    if (cardGetDevice(request, record) != R_SUCCESS) break;
    if (useDefault && record.type == kTypeUnknown) {
      uint16_t type = static_cast<uint8_t>(settings.defaultType);
      storeArea(info, area, type, deviceChipId(type), settings.defaultSize);
    } else {
      storeArea(info, area, record.type, record.chipId, record.size);
    }
    // The next region starts where the card says this one ends, also when
    // the stored default replaced its type and size: the default only says
    // how the program treats the region, not where the card places the next.
    request.offset += record.size;
  }

  LegacyDeviceRecord attribute{};
  if (cardGetDevice(SlotRequest{socket, 1, 0}, attribute) == R_SUCCESS)
    storeArea(info, kAttributeArea, attribute.type, attribute.chipId, attribute.size);
}

uint8_t CardAccess::findOtherReadySocket(uint8_t socket) const {
  for (int other = static_cast<int>(sockets_.count) - 1; other >= 0; --other)
    if (other != socket && cardUsable(sockets_.state[static_cast<unsigned>(other)]))
      return static_cast<uint8_t>(other);
  return socket;
}

uint32_t CardAccess::areaSize(uint8_t socket, uint8_t space, uint8_t region) const {
  if (socket >= sockets_.info.size()) return 0;
  unsigned area = space != 0 ? kAttributeArea : region;
  return area < kAreaCount ? sockets_.info[socket].areaSize[area] : 0;
}

bool CardAccess::checkAddressRange(uint32_t start, uint32_t address) {
  uint32_t size = areaSize(active_.socket, active_.space, active_.region);
  if (start <= address && address < size) return true;
  showCardError(R_BAD_NUMBER);
  return false;
}

void CardAccess::showCardError(uint16_t code) { tessel::showCardError(code, messages_); }

}  // namespace tessel
