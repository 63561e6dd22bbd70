// Read, write and erase: bounds against the addressed region, then the device
// operation that fits the memory space and the region's kind.
#include <algorithm>

#include "card_accessor.h"

namespace accessor {

using namespace cardservice;

namespace {

// SRAM and EEPROM have no erase of their own: erasing writes 0xFF.
bool erasedByWriting(uint32_t kind) { return kind == KIND_EEPROM || kind == KIND_SRAM; }

}  // namespace

int32_t CardAccessor::read(SocketState& socket, const Call& call) {
  return transfer(Transfer::Read, socket, call);
}
int32_t CardAccessor::write(SocketState& socket, const Call& call) {
  return transfer(Transfer::Write, socket, call);
}
int32_t CardAccessor::erase(SocketState& socket, const Call& call) {
  return transfer(Transfer::Erase, socket, call);
}

int32_t CardAccessor::fill(FillWrite writeOp, uint32_t device, uint32_t address, uint32_t length) {
  while (length > 0) {
    const uint32_t piece = std::min(length, kFillSize);
    if ((ops_.*writeOp)(device, address, piece, fill_.get()) != 0) return CS_WRITE_ERROR;
    address += piece;
    length -= piece;
  }
  return CS_OK;
}

int32_t CardAccessor::transfer(Transfer kind, SocketState& socket, const Call& call) {
  const bool attributeSpace = call.space != 0;
  const DeviceRecord& region = attributeSpace ? socket.attribute : socket.selected;
  if (kind != Transfer::Erase && call.length > 0 && !call.data) return CS_BAD_PARAMETER;
  if (kind != Transfer::Read && region.kind == KIND_NONE) return CS_NO_DEVICE;
  // Computed wide: offset + length must not wrap around to pass the check.
  if (uint64_t{call.offset} + call.length > region.size) return CS_OUT_OF_RANGE;

  auto* bytes = static_cast<uint8_t*>(call.data);
  if (attributeSpace) {
    // Attribute memory is addressed absolutely; it has no selected base.
    switch (kind) {
      case Transfer::Read:
        return ops_.ReadAttribute(call.device, call.offset, call.length, bytes) ? CS_READ_ERROR : CS_OK;
      case Transfer::Write:
        return ops_.WriteAttribute(call.device, call.offset, call.length, bytes) ? CS_WRITE_ERROR : CS_OK;
      case Transfer::Erase:
        if (erasedByWriting(region.kind))
          return fill(&zrb2x::DeviceOperations::WriteAttribute, call.device, call.offset, call.length);
        return ops_.EraseMemory(call.device, 1, call.offset, call.length) ? CS_WRITE_ERROR : CS_OK;
    }
  }

  const uint64_t end = uint64_t{socket.commonBase} + call.offset + call.length;
  if (end > uint64_t{UINT32_MAX} + 1) return CS_OUT_OF_RANGE;
  const uint32_t address = socket.commonBase + call.offset;

  if (region.kind == KIND_FUNCTION_SPECIFIC) {
    if (region.family != 1) return CS_NO_DEVICE;  // only sector access is known for ATA cards
    const SectorDevice target{ops_, call.device};
    switch (kind) {
      case Transfer::Read:
        return socket.cache.read(target, address, call.length, bytes);
      case Transfer::Write:
        return socket.cache.write(target, address, call.length, bytes);
      case Transfer::Erase:
        return socket.cache.erase(target, address, call.length, fill_.get());
    }
  }

  switch (kind) {
    case Transfer::Read:
      return ops_.ReadCommon(call.device, address, call.length, bytes) ? CS_READ_ERROR : CS_OK;
    case Transfer::Write:
      return ops_.WriteCommon(call.device, address, call.length, bytes) ? CS_WRITE_ERROR : CS_OK;
    case Transfer::Erase:
      if (erasedByWriting(region.kind))
        return fill(&zrb2x::DeviceOperations::WriteCommon, call.device, address, call.length);
      return ops_.EraseMemory(call.device, 0, address, call.length) ? CS_WRITE_ERROR : CS_OK;
  }
  return CS_NOT_SUPPORTED;
}

}  // namespace accessor
