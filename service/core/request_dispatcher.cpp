#include "request_dispatcher.h"

#include <cstring>

#include "request_table.h"

namespace zrb2x::service {
namespace {

using pipe::ServiceReply;
using pipe::ServiceRequest;

void putWord(uint8_t* block, uint32_t value) { std::memcpy(block, &value, sizeof value); }

ServiceReply fromSystemCall(SystemCallResult result) {
  if (result.ok) return {pipe::status::kOk, 0};
  // The status stays the reply's initial communication failure; the client
  // finds the reason as its last error.
  return {pipe::status::kCommunicationFailure, result.error};
}

ServiceReply fromDevice(uint32_t deviceResult) { return {deviceResult, 0}; }

ServiceReply query(SystemCallResult (ServiceBackend::*call)(uint32_t, uint32_t*), ServiceBackend& backend,
                   uint32_t device, uint8_t* block) {
  uint32_t value = 0;
  ServiceReply reply = fromSystemCall((backend.*call)(device, &value));
  if (reply.status == pipe::status::kOk) putWord(block, value);
  return reply;
}

}  // namespace

void RequestDispatcher::reenumerateIfPending() {
  if (reenumerationPending_.exchange(0) != 0) deviceCount_ = backend_.enumerate();
}

void RequestDispatcher::enumerate() {
  reenumerationPending_.exchange(0);
  deviceCount_ = backend_.enumerate();
}

ServiceReply RequestDispatcher::dispatch(const ServiceRequest& r, uint8_t* block, uint32_t blockSize) {
  const RequestRow* row = nullptr;
  if (uint32_t refusal = checkRequest(r, &row)) return {refusal, 0};
  // checkRequest has made sure a block of the operation's footprint exists
  // whenever the operation touches one; this guards the caller's side of it.
  if (row->direction != pipe::kNoData && (!block || blockSize != pipe::announcedBlockSize(r)))
    return {pipe::status::kMissingData, 0};
  if (row->operation == Operation::CountDevices) reenumerateIfPending();
  if (row->addressesDevice && r.device >= deviceCount_) return {pipe::status::kNoSuchDevice, 0};

  ServiceBackend& b = backend_;
  const uint32_t d = r.device;
  switch (row->operation) {
    case Operation::Attach:
    case Operation::Detach:
      return {pipe::status::kOk, 0};
    case Operation::CountDevices:
      putWord(block, deviceCount_);
      return {pipe::status::kOk, 0};
    case Operation::QueryDriveLetter:
      return query(&ServiceBackend::queryDriveLetter, b, d, block);
    case Operation::QueryDiscoveryPosition:
      return query(&ServiceBackend::queryDiscoveryPosition, b, d, block);
    case Operation::Load:
      return fromSystemCall(b.load(d));
    case Operation::Eject:
      return fromSystemCall(b.eject(d));
    case Operation::Acquire:
      return fromSystemCall(b.acquire(d));
    case Operation::Release:
      return fromSystemCall(b.release(d));
    case Operation::Rezero:
      return fromDevice(b.rezero(d));
    case Operation::WriteDeviceTable: {
      DeviceTable table;
      std::memcpy(&table, block, sizeof table);
      return fromDevice(b.writeDeviceTable(d, &table));
    }
    case Operation::ReadDeviceTable: {
      DeviceTable table{};
      uint32_t result = b.readDeviceTable(d, &table);
      std::memcpy(block, &table, sizeof table);
      return fromDevice(result);
    }
    case Operation::Inquiry:
      return fromDevice(b.inquiry(d, block));
    case Operation::GetStatus: {
      uint32_t word = 0;
      uint32_t result = b.getStatus(d, &word);
      putWord(block, word);
      return fromDevice(result);
    }
    case Operation::ReadCommon:
      return fromDevice(b.readCommon(d, r.address, r.length, block));
    case Operation::WriteCommon:
      return fromDevice(b.writeCommon(d, r.address, r.length, block));
    case Operation::ReadAttribute:
      return fromDevice(b.readAttribute(d, r.address, r.length, block));
    case Operation::WriteAttribute:
      return fromDevice(b.writeAttribute(d, r.address, r.length, block));
    case Operation::EraseMemory:
      return fromDevice(b.eraseMemory(d, r.option, r.address, r.length));
    case Operation::ReadCapacity: {
      uint32_t first = 0, second = 0;
      uint32_t result = b.readCapacity(d, r.address, &first, &second);
      putWord(block, first);
      putWord(block + 4, second);
      return fromDevice(result);
    }
    case Operation::ReadSectors:
      return fromDevice(b.readSectors(d, r.address, r.length, block));
    case Operation::WriteSectors:
      return fromDevice(b.writeSectors(d, r.address, r.length, block));
    case Operation::DownloadFirmware:
      return fromDevice(b.downloadFirmware(d, block, r.length));
    case Operation::VendorCommand3D:
      return fromDevice(b.vendorCommand3D(d, r.address, static_cast<uint16_t>(r.length),
                                          static_cast<uint8_t>(r.extraA), static_cast<uint8_t>(r.extraB)));
    case Operation::AtaWriteTaskFile:
      return fromDevice(b.ataWriteTaskFile(d, block));
    case Operation::AtaReadTaskFile:
      return fromDevice(b.ataReadTaskFile(d, block));
    case Operation::AtaExecute:
      return fromDevice(b.ataExecute(d));
    case Operation::AtaWriteData:
      return fromDevice(b.ataWriteData(d, static_cast<uint16_t>(r.length), block));
    case Operation::AtaReadData:
      return fromDevice(b.ataReadData(d, static_cast<uint16_t>(r.length), block));
  }
  return {pipe::status::kCommunicationFailure, 0};
}

}  // namespace zrb2x::service
