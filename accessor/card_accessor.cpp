#include "card_accessor.h"

#include <algorithm>
#include <cstring>

#include "device_result.h"

namespace accessor {

using namespace cardservice;

const CardAccessor::Handler CardAccessor::kHandlers[FN_FLUSH + 1] = {
    nullptr,  // FN_INFO needs no socket
    &CardAccessor::status,
    &CardAccessor::getDevice,
    &CardAccessor::read,
    &CardAccessor::write,
    &CardAccessor::erase,
    &CardAccessor::setDevice,
    &CardAccessor::selectRegion,
    &CardAccessor::accept,  // FN_RESERVED_8
    &CardAccessor::accept,  // FN_SOCKET_OPTIONS: this reader-writer has no such options
    &CardAccessor::lock,
    &CardAccessor::flush,
};

CardAccessor::CardAccessor(zrb2x::DeviceOperations& ops, uint32_t socketCount)
    : ops_(ops),
      socketCount_(std::min(socketCount, kMaxSockets)),
      sockets_(new SocketState[kMaxSockets]),
      fill_(new uint8_t[kFillSize]) {
  std::memset(fill_.get(), 0xFF, kFillSize);
}

int32_t CardAccessor::call(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                           void* data) {
  if (code == FN_INFO) return static_cast<int32_t>(socketCount_);
  if (code > FN_FLUSH) return CS_NOT_SUPPORTED;
  if (socket >= socketCount_) return CS_BAD_SOCKET;
  SocketState& state = sockets_[socket];
  std::lock_guard<std::mutex> hold(state.callLock);
  return (this->*kHandlers[code])(state, Call{socket, space, offset, length, data});
}

int32_t CardAccessor::accept(SocketState&, const Call&) { return CS_OK; }

// ---- Status ------------------------------------------------------------------

namespace {

// How the reader-writer's status word becomes the status byte.
struct StatusRule {
  uint32_t mask;  // bits of the reader-writer's status
  bool whenSet;   // the byte bit is set when all of `mask` are set (else when none is)
  uint8_t statusBit;
};

constexpr uint32_t kBatteryGood1 = 0x01, kBatteryGood2 = 0x02, kWriteProtect = 0x04, kReadySignal = 0x08,
                   kCardDetect1 = 0x100, kCardDetect2 = 0x200;

constexpr StatusRule kStatusRules[] = {
    {kCardDetect1 | kCardDetect2, true, STATUS_CARD_PRESENT},
    {kWriteProtect, true, STATUS_WRITE_PROTECTED},
    {kBatteryGood1, false, STATUS_BATTERY_DEAD},
    {kBatteryGood2, false, STATUS_BATTERY_LOW},
    {kReadySignal, true, STATUS_READER_BIT3},
};

uint8_t statusByte(uint32_t readerStatus) {
  uint8_t byte = STATUS_USABLE;
  for (const StatusRule& rule : kStatusRules) {
    const bool matches =
        rule.whenSet ? (readerStatus & rule.mask) == rule.mask : (readerStatus & rule.mask) == 0;
    if (matches) byte |= rule.statusBit;
  }
  return byte;
}

// Result of a region table read or write.
int32_t tableResult(uint32_t deviceResult) {
  if (deviceResult == 0) return CS_OK;
  return zrb2x::meansNoCard(deviceResult) ? CS_NO_CARD : CS_DEVICE_FAILURE;
}

}  // namespace

int32_t CardAccessor::status(SocketState& socket, const Call& call) {
  uint32_t readerStatus = 0;
  const uint32_t result = ops_.GetStatus(call.device, &readerStatus);
  // Not ready and unit attention still carry a status that describes the slot.
  // (The device library's status poll answers exactly these two when it has
  // a status word; any other result, a card change with its sense code
  // included, is a failure here.)
  if (result != 0 && result != zrb2x::result::kNotReady && result != zrb2x::result::kUnitAttention)
    return CS_DEVICE_FAILURE;

  const uint8_t byte = statusByte(readerStatus);
  if (call.data) *static_cast<uint8_t*>(call.data) = byte;

  if ((byte & STATUS_CARD_PRESENT) && !(socket.lastStatus & STATUS_CARD_PRESENT)) {
    // A new card: nothing chosen for the previous one applies to it. When its
    // region 0 cannot be selected, no region stays selected rather than the
    // old card's, so transfers are refused until the caller selects one.
    if (selectCommonRegion(socket, call.device, 0) != CS_OK) {
      socket.selected = DeviceRecord{};
      socket.commonBase = 0;
    }
    socket.cache.discard();
  }
  socket.lastStatus = byte;
  return CS_OK;
}

// ---- Region table ------------------------------------------------------------

int32_t CardAccessor::readTable(SocketState& socket, uint32_t device) {
  socket.table = zrb2x::DeviceTable{};
  return tableResult(ops_.ReadDeviceTable(device, &socket.table));
}

int32_t CardAccessor::lookUpRegion(SocketState& socket, const Call& call, LookUp purpose, RegionHit& hit) {
  if (int32_t result = readTable(socket, call.device); result != CS_OK) return result;
  applyRegionDefaults(socket.table);
  return purpose == LookUp::Show ? findRegion(socket.table, call.space, call.offset, hit)
                                 : findDescribableRegion(socket.table, call.space, call.offset, hit);
}

int32_t CardAccessor::getDevice(SocketState& socket, const Call& call) {
  if (!call.data) return CS_BAD_PARAMETER;
  RegionHit hit{};
  if (int32_t result = lookUpRegion(socket, call, LookUp::Show, hit); result != CS_OK) return result;
  const DeviceRecord record = deviceRecordFromEntry(socket.table.region[hit.index]);
  std::memcpy(call.data, &record, sizeof record);
  return CS_OK;
}

int32_t CardAccessor::setDevice(SocketState& socket, const Call& call) {
  if (!call.data) return CS_BAD_PARAMETER;
  RegionHit hit{};
  // A region left without a kind (by an older program, or a reader described
  // elsewhere) is found here too, so that it can be described again.
  if (int32_t result = lookUpRegion(socket, call, LookUp::Describe, hit); result != CS_OK) return result;
  // An ATA card describes itself; its region is not to be redefined.
  if (socket.table.region[hit.index].kind == KIND_FUNCTION_SPECIFIC) return CS_OK;

  DeviceRecord record;
  std::memcpy(&record, call.data, sizeof record);
  if (int32_t result = checkSettableRecord(record); result != CS_OK) return result;

  // The whole table goes back, with the defaults the look-up filled in, so
  // that the reader-writer keeps exactly what the caller was shown.
  socket.table.region[hit.index] = entryFromDeviceRecord(record);
  const zrb2x::DeviceTable updated = socket.table;
  if (int32_t result = tableResult(ops_.WriteDeviceTable(call.device, &updated)); result != CS_OK)
    return result;
  return readTable(socket, call.device);
}

int32_t CardAccessor::selectRegion(SocketState& socket, const Call& call) {
  if (!call.data) return CS_BAD_PARAMETER;
  return selectCommonRegion(socket, call.device, *static_cast<const uint8_t*>(call.data));
}

int32_t CardAccessor::selectCommonRegion(SocketState& socket, uint32_t device, uint32_t index) {
  if (int32_t result = readTable(socket, device); result != CS_OK) return result;
  socket.attribute = deviceRecordFromEntry(socket.table.region[zrb2x::kAttributeRegion]);

  // The selection and its base change together or not at all: a refused
  // index must not leave the old region at a new base.
  uint64_t base = 0;
  for (uint32_t i = 0; i < kMaxCommonRegions; ++i) {
    const zrb2x::RegionEntry& entry = socket.table.region[i];
    if (entry.size == 0 || base > UINT32_MAX) break;  // a base beyond 4 GB cannot be addressed
    if (i == index) {
      socket.selected = deviceRecordFromEntry(entry);
      socket.commonBase = static_cast<uint32_t>(base);
      return CS_OK;
    }
    base += entry.size;
  }
  return CS_BAD_PARAMETER;
}

// ---- Lock and flush ----------------------------------------------------------

int32_t CardAccessor::lock(SocketState&, const Call& call) {
  if (!call.data) return CS_BAD_PARAMETER;
  const bool take = *static_cast<const uint8_t*>(call.data) != 0;
  const bool done = take ? ops_.AcquireDevice(call.device) : ops_.ReleaseDevice(call.device);
  return done ? CS_OK : CS_IN_USE;
}

int32_t CardAccessor::flush(SocketState& socket, const Call& call) {
  if (socket.selected.kind != KIND_FUNCTION_SPECIFIC || socket.selected.family != 1) return CS_OK;
  return socket.cache.flush(SectorDevice{ops_, call.device});
}

int32_t CardAccessor::writeBackCachedSectors() {
  int32_t first = CS_OK;
  for (uint32_t device = 0; device < socketCount_; ++device) {
    SocketState& socket = sockets_[device];
    std::lock_guard<std::mutex> hold(socket.callLock);
    // The cached sector's number is absolute in common memory, so it is
    // written back whichever region is selected now.
    if (!socket.cache.dirty()) continue;
    const int32_t result = socket.cache.flush(SectorDevice{ops_, device});
    if (first == CS_OK) first = result;
  }
  return first;
}

}  // namespace accessor
