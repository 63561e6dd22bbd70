// The card functions of the accessor module: every code of the accessor entry
// carried out with the device operations of the binding chosen at attach.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "card_service.h"
#include "device_operations.h"
#include "region_table.h"
#include "socket_state.h"

namespace accessor {

class CardAccessor {
 public:
  // `socketCount` is what the device library found (at most kMaxSockets are
  // served). Allocates the per-socket state and the 0xFF fill buffer; throws
  // std::bad_alloc when memory is short.
  CardAccessor(zrb2x::DeviceOperations& ops, uint32_t socketCount);

  // The count is fixed once the device library has been asked, at attach.
  void setSocketCount(uint32_t socketCount) { socketCount_ = std::min(socketCount, kMaxSockets); }

  // The accessor entry: a card service result code, or the socket count for FN_INFO.
  int32_t call(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length, void* data);

  uint32_t socketCount() const { return socketCount_; }

  // Writes every dirty cached sector back to its card, as FN_FLUSH would:
  // a write the caller was told succeeded must reach the card even when the
  // caller unloads the module without flushing. CS_OK, or the first failure.
  int32_t writeBackCachedSectors();

 private:
  struct Call {
    uint32_t device;
    uint32_t space;
    uint32_t offset;
    uint32_t length;
    void* data;
  };
  using Handler = int32_t (CardAccessor::*)(SocketState&, const Call&);
  static const Handler kHandlers[cardservice::FN_FLUSH + 1];

  int32_t status(SocketState& socket, const Call& call);
  int32_t getDevice(SocketState& socket, const Call& call);
  int32_t read(SocketState& socket, const Call& call);
  int32_t write(SocketState& socket, const Call& call);
  int32_t erase(SocketState& socket, const Call& call);
  int32_t setDevice(SocketState& socket, const Call& call);
  int32_t selectRegion(SocketState& socket, const Call& call);
  int32_t accept(SocketState& socket, const Call& call);
  int32_t lock(SocketState& socket, const Call& call);
  int32_t flush(SocketState& socket, const Call& call);

  int32_t readTable(SocketState& socket, uint32_t device);
  enum class LookUp { Show, Describe };
  int32_t lookUpRegion(SocketState& socket, const Call& call, LookUp purpose, RegionHit& hit);
  int32_t selectCommonRegion(SocketState& socket, uint32_t device, uint32_t index);

  enum class Transfer { Read, Write, Erase };
  int32_t transfer(Transfer kind, SocketState& socket, const Call& call);
  // Erasing by writing 0xFF, in pieces of at most the fill buffer's size.
  using FillWrite = uint32_t (zrb2x::DeviceOperations::*)(uint32_t, uint32_t, uint32_t, const void*);
  int32_t fill(FillWrite writeOp, uint32_t device, uint32_t address, uint32_t length);

  zrb2x::DeviceOperations& ops_;
  uint32_t socketCount_;
  std::unique_ptr<SocketState[]> sockets_;
  std::unique_ptr<uint8_t[]> fill_;  // kFillSize bytes of 0xFF
};

}  // namespace accessor
