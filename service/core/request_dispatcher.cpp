#include "request_dispatcher.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "card_status.h"
#include "device_result.h"
#include "request_table.h"

namespace zrb2x::service {
namespace {

using pipe::ServiceReply;
using pipe::ServiceRequest;

// The status word of a slot without a card: its battery lines float high.
constexpr uint32_t kEmptySlotWord = status_bit::kBattery1 | status_bit::kBattery2;

void putWord(uint8_t* block, uint32_t value) { std::memcpy(block, &value, sizeof value); }

// A system-level device call: on failure the status stays the reply's initial
// communication failure, and the client finds the reason as its last error.
ServiceReply fromSystemCall(bool ok, LibraryOperations& devices) {
  if (ok) return {pipe::status::kOk, 0};
  return {pipe::status::kCommunicationFailure, devices.LastSystemError()};
}

ServiceReply fromDevice(uint32_t deviceResult) { return {deviceResult, 0}; }

ServiceReply query(bool (LibraryOperations::*call)(uint32_t, uint32_t*), LibraryOperations& devices,
                   uint32_t device, uint8_t* block) {
  uint32_t value = 0;
  ServiceReply reply = fromSystemCall((devices.*call)(device, &value), devices);
  if (reply.status == pipe::status::kOk) putWord(block, value);
  return reply;
}

bool isDeviceCommand(uint32_t code) { return (code >> 16) == 0x5343; }

// The number of a reader that went away: the slot is empty.
ServiceReply answerVacant(const RequestRow& row, uint8_t* block) {
  if (row.operation == Operation::GetStatus) {
    putWord(block, kEmptySlotWord);
    return {result::kNotReady, 0};
  }
  if (isDeviceCommand(row.code)) return {result::kMediumNotPresent, 0};
  if (row.operation == Operation::Release) return {pipe::status::kOk, 0};
  return {pipe::status::kCommunicationFailure, kErrorNotReady};
}

}  // namespace

bool RequestDispatcher::reusable(uint32_t number) const {
  const SocketSlot* s = sockets_.slot(number);
  if (!s || s->present) return false;
  // Someone still holding it, or a program that was served when its reader
  // was there, may still mean that reader by the number.
  return !holders_.count(number) && !clients_.anyoneSeenBefore(s->vanishedAt);
}

void RequestDispatcher::reenumerateIfPending() {
  if (reenumerationPending_.exchange(0) != 0) enumerate();
}

void RequestDispatcher::enumerate() {
  reenumerationPending_.exchange(0);
  const uint32_t listed = devices_.CountDevices();
  std::vector<std::string> identities;
  for (uint32_t i = 0; i < listed; ++i) identities.push_back(devices_.Identity(i));
  ++generation_;
  sockets_.update(identities, generation_, [this](uint32_t n) { return reusable(n); });
  // The rescan closed every device; a hold on a reader that is still there is
  // taken again at its place in the new list.
  for (auto it = holders_.begin(); it != holders_.end();) {
    const SocketSlot* s = sockets_.slot(it->first);
    if (s && s->present && !devices_.AcquireDevice(s->listIndex)) {
      it = holders_.erase(it);
    } else {
      ++it;
    }
  }
}

void RequestDispatcher::dropHoldsOf(ClientId client) {
  for (auto it = holders_.begin(); it != holders_.end();) {
    if (it->second != client) {
      ++it;
      continue;
    }
    const SocketSlot* s = sockets_.slot(it->first);
    if (s && s->present) devices_.ReleaseDevice(s->listIndex);
    it = holders_.erase(it);
  }
}

ServiceReply RequestDispatcher::acquire(uint32_t number, uint32_t device, ClientId client) {
  auto held = holders_.find(number);
  if (held != holders_.end())
    return held->second == client ? ServiceReply{pipe::status::kOk, 0}
                                  : ServiceReply{pipe::status::kCommunicationFailure, kErrorBusy};
  ServiceReply reply = fromSystemCall(devices_.AcquireDevice(device), devices_);
  if (reply.status == pipe::status::kOk) holders_[number] = client;
  return reply;
}

// A release by a program that does not hold the socket frees nothing: the
// holder keeps it.
ServiceReply RequestDispatcher::release(uint32_t number, const SocketSlot& slot, ClientId client) {
  auto held = holders_.find(number);
  if (held == holders_.end() || held->second != client) return {pipe::status::kOk, 0};
  holders_.erase(held);
  // The reader of a vacant number is gone, and its hold with it.
  if (!slot.present) return {pipe::status::kOk, 0};
  return fromSystemCall(devices_.ReleaseDevice(slot.listIndex), devices_);
}

ServiceReply RequestDispatcher::dispatch(const ServiceRequest& r, uint8_t* block, uint32_t blockSize,
                                         ClientId client) {
  const RequestRow* row = nullptr;
  if (uint32_t refusal = checkRequest(r, &row)) return {refusal, 0};
  // checkRequest has made sure a block of the operation's footprint exists
  // whenever the operation touches one; this guards the caller's side of it.
  if (row->direction != pipe::kNoData && (!block || blockSize != pipe::announcedBlockSize(r)))
    return {pipe::status::kMissingData, 0};

  clients_.sweep([this](ClientId ended) { dropHoldsOf(ended); });
  if (row->operation == Operation::Detach) {
    // An accessor that detaches gives up what it holds, as closing the
    // device library in its own process would.
    dropHoldsOf(client);
    clients_.forget(client);
    return {pipe::status::kOk, 0};
  }
  if (row->operation == Operation::CountDevices) reenumerateIfPending();
  ClientRecord& me = clients_.contact(client, generation_);
  if (!row->addressesDevice) {
    if (row->operation == Operation::CountDevices) putWord(block, sockets_.count());
    return {pipe::status::kOk, 0};
  }

  const uint32_t number = r.device;
  const SocketSlot* slot = sockets_.slot(number);
  if (!slot) return {pipe::status::kNoSuchDevice, 0};
  // A program that used this number before its reader changed is shown a
  // card change, once by a status answer (the slot empty, so it sees the card
  // arrive at the next poll) and once by a card command, which is not carried
  // out: it was meant for the card that was there.
  const uint64_t known = me.firstSeen;
  uint64_t& statusTold = me.statusToldAt[number];
  uint64_t& commandTold = me.commandToldAt[number];
  if (row->change == ChangeReport::Status && slot->changedAt > std::max(known, statusTold)) {
    statusTold = commandTold = generation_;
    putWord(block, kEmptySlotWord);
    return {result::kNotReady, 0};
  }
  if (row->change == ChangeReport::Command && slot->changedAt > std::max(known, commandTold)) {
    commandTold = generation_;
    return {result::kCardChanged, 0};
  }
  if (row->operation == Operation::Release) return release(number, *slot, client);
  if (!slot->present) return answerVacant(*row, block);
  if (row->operation == Operation::Acquire) return acquire(number, slot->listIndex, client);
  return carryOut(r, slot->listIndex, block);
}

ServiceReply RequestDispatcher::carryOut(const ServiceRequest& r, uint32_t d, uint8_t* block) {
  const RequestRow* row = findRequest(r.code);
  LibraryOperations& b = devices_;
  switch (row->operation) {
    case Operation::Attach:
    case Operation::Detach:
    case Operation::CountDevices:
    case Operation::Acquire:
    case Operation::Release:
      return {pipe::status::kOk, 0};  // handled before
    case Operation::QueryDriveLetter:
      return query(&LibraryOperations::QueryDriveLetter, b, d, block);
    case Operation::QueryDiscoveryPosition:
      return query(&LibraryOperations::QueryDiscoveryPosition, b, d, block);
    case Operation::Load:
      return fromSystemCall(b.Load(d), b);
    case Operation::Eject:
      return fromSystemCall(b.Eject(d), b);
    case Operation::Rezero:
      return fromDevice(b.Rezero(d));
    case Operation::WriteDeviceTable: {
      DeviceTable table;
      std::memcpy(&table, block, sizeof table);
      return fromDevice(b.WriteDeviceTable(d, &table));
    }
    case Operation::ReadDeviceTable: {
      DeviceTable table{};
      uint32_t result = b.ReadDeviceTable(d, &table);
      std::memcpy(block, &table, sizeof table);
      return fromDevice(result);
    }
    case Operation::Inquiry:
      return fromDevice(b.Inquiry(d, block));
    case Operation::GetStatus: {
      uint32_t word = 0;
      uint32_t result = b.GetStatus(d, &word);
      putWord(block, word);
      return fromDevice(result);
    }
    case Operation::ReadCommon:
      return fromDevice(b.ReadCommon(d, r.address, r.length, block));
    case Operation::WriteCommon:
      return fromDevice(b.WriteCommon(d, r.address, r.length, block));
    case Operation::ReadAttribute:
      return fromDevice(b.ReadAttribute(d, r.address, r.length, block));
    case Operation::WriteAttribute:
      return fromDevice(b.WriteAttribute(d, r.address, r.length, block));
    case Operation::EraseMemory:
      return fromDevice(b.EraseMemory(d, r.option, r.address, r.length));
    case Operation::ReadCapacity: {
      uint32_t first = 0, second = 0;
      uint32_t result = b.ReadCapacity(d, r.address, &first, &second);
      putWord(block, first);
      putWord(block + 4, second);
      return fromDevice(result);
    }
    case Operation::ReadSectors:
      return fromDevice(b.ReadSectors(d, r.address, r.length, block, kSectorSize));
    case Operation::WriteSectors:
      return fromDevice(b.WriteSectors(d, r.address, r.length, block, kSectorSize));
    case Operation::DownloadFirmware:
      return fromDevice(b.DownloadFirmware(d, block, r.length));
    case Operation::VendorCommand3D:
      return fromDevice(b.VendorCommand3D(d, r.address, static_cast<uint16_t>(r.length),
                                          static_cast<uint8_t>(r.extraA), static_cast<uint8_t>(r.extraB)));
    case Operation::AtaWriteTaskFile:
      return fromDevice(b.AtaWriteTaskFile(d, block));
    case Operation::AtaReadTaskFile:
      return fromDevice(b.AtaReadTaskFile(d, block));
    case Operation::AtaExecute:
      return fromDevice(b.AtaExecute(d));
    case Operation::AtaWriteData:
      return fromDevice(b.AtaWriteData(d, static_cast<uint16_t>(r.length), block));
    case Operation::AtaReadData:
      return fromDevice(b.AtaReadData(d, static_cast<uint16_t>(r.length), block));
  }
  return {pipe::status::kCommunicationFailure, 0};
}

}  // namespace zrb2x::service
