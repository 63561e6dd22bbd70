#include "commands.h"

#include <algorithm>
#include <cstring>

#include "big_endian.h"
#include "device_result.h"

namespace zrb2x::cmd {
namespace {

enum : uint8_t {
  kRezero = 0x01,
  kRequestSense = 0x03,
  kWriteTable = 0x05,
  kReadTable = 0x06,
  kInquiry = 0x12,
  kCardStatus = 0x13,
  kStartStop = 0x1B,
  kReadCommon = 0x20,
  kErase = 0x21,
  kWriteCommon = 0x22,
  kReadAttribute = 0x24,
  kReadCapacity = 0x25,
  kWriteAttribute = 0x26,
  kRead10 = 0x28,
  kWrite10 = 0x2A,
  kWriteBuffer = 0x3B,
  kVendor3D = 0x3D,
  kAtaPassThrough = 0x56,
};

struct CommandRow {
  uint8_t opcode;
  uint8_t cdbLength;
  Direction direction;
  bool retryOnCardChange;
};

// The command table: CDB length, data direction and whether a card change
// answer is worth one more try (the reader-writer reports the change once).
constexpr CommandRow kCommands[] = {
    {kRezero, 6, Direction::None, false},        {kRequestSense, 6, Direction::In, false},
    {kWriteTable, 6, Direction::Out, true},      {kReadTable, 6, Direction::In, true},
    {kInquiry, 6, Direction::In, false},         {kCardStatus, 6, Direction::In, false},
    {kStartStop, 6, Direction::None, false},     {kReadCommon, 10, Direction::In, true},
    {kErase, 10, Direction::None, true},         {kWriteCommon, 10, Direction::Out, true},
    {kReadAttribute, 10, Direction::In, true},   {kReadCapacity, 10, Direction::In, true},
    {kWriteAttribute, 10, Direction::Out, true}, {kRead10, 10, Direction::In, true},
    {kWrite10, 10, Direction::Out, true},        {kWriteBuffer, 10, Direction::Out, false},
    {kVendor3D, 10, Direction::None, true},      {kAtaPassThrough, 10, Direction::None, false},
};

const CommandRow& rowOf(uint8_t opcode) {
  for (const auto& row : kCommands)
    if (row.opcode == opcode) return row;
  return kCommands[0];  // unreachable: every caller passes a listed opcode
}

// The CDB bytes after the opcode; the row gives the length.
struct Cdb {
  uint8_t bytes[kCdbCapacity] = {};
};

uint32_t send(DeviceLink& link, const Cdb& cdb, Direction direction, const void* data, uint32_t count,
              bool retry) {
  const CommandRow& row = rowOf(cdb.bytes[0]);
  for (int attempt = 0;; ++attempt) {
    // Out-direction data is only read by the transport.
    const uint32_t r = link.run(cdb.bytes, row.cdbLength, direction, const_cast<void*>(data), count);
    if (r != result::kCardChanged || !retry || attempt == 1) return r;
  }
}

uint32_t send(DeviceLink& link, const Cdb& cdb, const void* data, uint32_t count) {
  const CommandRow& row = rowOf(cdb.bytes[0]);
  return send(link, cdb, row.direction, data, count, row.retryOnCardChange);
}

Cdb cdb6(uint8_t opcode, uint8_t byte1, uint8_t byte4) {
  Cdb c;
  c.bytes[0] = opcode;
  c.bytes[1] = byte1;
  c.bytes[4] = byte4;
  return c;
}

// Memory commands: opcode, byte 1, address in 2-5, byte count in 6-9.
Cdb memoryCdb(uint8_t opcode, uint8_t byte1, uint32_t address, uint32_t count) {
  Cdb c;
  c.bytes[0] = opcode;
  c.bytes[1] = byte1;
  putBig32(c.bytes + 2, address);
  putBig32(c.bytes + 6, count);
  return c;
}

// Sector commands: LBA in 2-5, sector count in 7-8.
Cdb sectorCdb(uint8_t opcode, uint32_t lba, uint16_t sectors) {
  Cdb c;
  c.bytes[0] = opcode;
  putBig32(c.bytes + 2, lba);
  putBig16(c.bytes + 7, sectors);
  return c;
}

}  // namespace

}  // namespace zrb2x::cmd

namespace zrb2x {

uint32_t DeviceLink::run(const uint8_t* cdb, uint32_t cdbLength, Direction direction, void* data,
                         uint32_t count) {
  std::lock_guard<std::mutex> hold(commandLock_);
  uint8_t* buffer = cdbBuffer();
  if (!buffer) return result::kIllegalRequest;
  std::memcpy(buffer, cdb, std::min(cdbLength, kCdbCapacity));
  return execute(direction, cdbLength, data, count);
}

}  // namespace zrb2x

namespace zrb2x::cmd {

uint32_t rezero(DeviceLink& link) { return send(link, cdb6(kRezero, 0, 0), nullptr, 0); }

uint32_t requestSense(DeviceLink& link, uint8_t* sense) {
  if (!sense) return result::kInvalidField;
  return send(link, cdb6(kRequestSense, 0, kSenseLength), sense, kSenseLength);
}

uint32_t writeRegionTable(DeviceLink& link, const uint8_t* raw) {
  if (!raw) return result::kInvalidField;
  return send(link, cdb6(kWriteTable, 0, kRawRegionTableLength), raw, kRawRegionTableLength);
}

uint32_t readRegionTable(DeviceLink& link, uint8_t* raw) {
  if (!raw) return result::kInvalidField;
  return send(link, cdb6(kReadTable, 0, kRawRegionTableLength), raw, kRawRegionTableLength);
}

uint32_t inquiry(DeviceLink& link, uint8_t lun, uint8_t* data) {
  if (!data) return result::kInvalidField;
  return send(link, cdb6(kInquiry, static_cast<uint8_t>(lun << 5), kInquiryLength), data, kInquiryLength);
}

uint32_t cardStatus(DeviceLink& link, uint8_t* data) {
  if (!data) return result::kInvalidField;
  return send(link, cdb6(kCardStatus, 0, kStatusLength), data, kStatusLength);
}

uint32_t loadMedium(DeviceLink& link, uint8_t lun) {
  return send(link, cdb6(kStartStop, static_cast<uint8_t>(lun << 5), 3), nullptr, 0);
}

uint32_t ejectMedium(DeviceLink& link) { return send(link, cdb6(kStartStop, 0, 2), nullptr, 0); }

uint32_t readCommon(DeviceLink& link, uint32_t address, uint32_t count, void* data) {
  if (!data) return result::kInvalidField;
  return send(link, memoryCdb(kReadCommon, 0, address, count), data, count);
}

uint32_t erase(DeviceLink& link, bool attributeSpace, uint32_t address, uint32_t count) {
  return send(link, memoryCdb(kErase, attributeSpace ? 0x40 : 0, address, count), nullptr, 0);
}

uint32_t writeCommon(DeviceLink& link, uint32_t address, uint32_t count, const void* data) {
  if (!data) return result::kInvalidField;
  return send(link, memoryCdb(kWriteCommon, 0, address, count), data, count);
}

uint32_t readAttribute(DeviceLink& link, uint32_t address, uint32_t count, void* data) {
  if (!data) return result::kInvalidField;
  return send(link, memoryCdb(kReadAttribute, 0, address, count), data, count);
}

uint32_t readCapacity(DeviceLink& link, uint32_t address, uint8_t* data) {
  if (!data) return result::kInvalidField;
  return send(link, memoryCdb(kReadCapacity, 0, address, 0), data, kCapacityLength);
}

uint32_t writeAttribute(DeviceLink& link, uint32_t address, uint32_t count, const void* data) {
  if (!data) return result::kInvalidField;
  return send(link, memoryCdb(kWriteAttribute, 0, address, count), data, count);
}

uint32_t readSectors(DeviceLink& link, uint32_t lba, uint16_t sectors, void* data) {
  if (!data) return result::kInvalidField;
  return send(link, sectorCdb(kRead10, lba, sectors), data, uint32_t{sectors} * 512);
}

uint32_t writeSectors(DeviceLink& link, uint32_t lba, uint16_t sectors, const void* data) {
  if (!data) return result::kInvalidField;
  return send(link, sectorCdb(kWrite10, lba, sectors), data, uint32_t{sectors} * 512);
}

uint32_t writeBuffer(DeviceLink& link, const uint8_t* tail, const void* data, uint32_t count) {
  if (!tail || (!data && count)) return result::kInvalidField;
  Cdb c;
  c.bytes[0] = kWriteBuffer;
  std::memcpy(c.bytes + 1, tail, 9);
  return send(link, c, data, count);
}

uint32_t vendor3D(DeviceLink& link, uint32_t address, uint16_t word, uint8_t b1, uint8_t b2) {
  Cdb c;
  c.bytes[0] = kVendor3D;
  putBig32(c.bytes + 2, address);
  putBig16(c.bytes + 6, word);
  c.bytes[8] = b1;
  c.bytes[9] = b2;
  return send(link, c, nullptr, 0);
}

uint32_t ataPassThrough(DeviceLink& link, AtaSub sub, uint16_t sectors, void* data) {
  struct SubRow {
    AtaSub sub;
    Direction direction;
    bool sectorData;
  };
  static constexpr SubRow kSubs[] = {
      {AtaSub::WriteTaskFile, Direction::Out, false}, {AtaSub::ReadTaskFile, Direction::In, false},
      {AtaSub::Execute, Direction::None, false},      {AtaSub::WriteData, Direction::Out, true},
      {AtaSub::ReadData, Direction::In, true},
  };
  const SubRow* row = nullptr;
  for (const auto& r : kSubs)
    if (r.sub == sub) row = &r;
  if (!row) return result::kInvalidField;
  if (row->direction != Direction::None && !data) return result::kInvalidField;
  const uint32_t count = row->direction == Direction::None ? 0
                         : row->sectorData                 ? uint32_t{sectors} * 512
                                                           : kTaskFileLength;
  Cdb c;
  c.bytes[0] = kAtaPassThrough;
  c.bytes[2] = static_cast<uint8_t>(sub);
  putBig16(c.bytes + 7, row->sectorData ? sectors : 0);
  // Only writing the task file is worth repeating after a card change: the
  // later steps depend on the registers it set.
  return send(link, c, row->direction, data, count, sub == AtaSub::WriteTaskFile);
}

}  // namespace zrb2x::cmd
