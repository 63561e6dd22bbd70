#include "cis_walk.h"

#include <algorithm>
#include <cstring>

#include "result_codes.h"

namespace tessel {
namespace {

constexpr uint8_t kNullTuple = 0x00;
constexpr uint8_t kEndTuple = 0xFF;
constexpr uint8_t kLinkTarget = 0x13;
constexpr uint8_t kLastTupleLink = 0xFF;  // a link of 0xFF: the body runs to a 0xFF byte and the chain ends
constexpr unsigned kMaxNullRun = 256;
constexpr uint8_t kAttributeSpace = 1;
constexpr uint8_t kCommonSpace = 0;

struct Tuple {
  uint32_t offset = 0;  // of the code byte
  uint8_t code = 0;
  uint8_t link = 0;
};

class CisWalker {
 public:
  CisWalker(CardAccess& access, uint8_t socket) : access_(access), socket_(socket) {}

  // The chain starts in attribute memory; a card whose attribute memory
  // holds no tuple may keep its CIS in common memory.
  bool first() {
    enterSpace(kAttributeSpace);
    return findTuple();
  }

  bool next() {
    if (current_.link == kLastTupleLink) return chainEnded();
    return findTuple();
  }

  const Tuple& current() const { return current_; }
  uint8_t space() const { return space_; }

  // The tuple's body into `record`; false when a read fails.
  bool readBody(cis::CisTupleRecord& record) {
    const uint32_t from = current_.offset + 2 * stride_;
    if (current_.link == kLastTupleLink) {
      // Up to and including the first 0xFF, one CIS byte at a time, never
      // more than the record holds.
      unsigned length = 0;
      uint8_t byte = 0;
      while (length < cis::kTupleDataCapacity && byte != 0xFF) {
        if (!readBytes(from + length * stride_, &byte, 1)) return false;
        record.data[length++] = byte;
      }
      record.dataLength = static_cast<uint16_t>(length);
      return true;
    }
    // link * stride bytes, at most 254 * 2: read into a buffer of that bound,
    // then every stride-th byte into the record's 256.
    uint8_t raw[2 * (kLastTupleLink - 1)];
    const uint32_t rawLength = current_.link * stride_;
    if (rawLength != 0 && !readBytes(from, raw, rawLength)) return false;
    for (unsigned i = 0; i < current_.link; ++i) record.data[i] = raw[i * stride_];
    record.dataLength = current_.link;
    return true;
  }

 private:
  void enterSpace(uint8_t space) {
    space_ = space;
    stride_ = space == kAttributeSpace ? 2 : 1;
    running_ = 0;
  }

  // The end of a chain: in attribute memory the walk goes on with the chain
  // behind a link target in common memory; there it ends.
  bool chainEnded() {
    if (space_ != kAttributeSpace) return false;
    enterSpace(kCommonSpace);
    uint8_t head[6];
    if (!readBytes(0, head, sizeof head)) return false;
    if (head[0] != kLinkTarget || std::memcmp(head + 2, "CIS", 3) != 0) return false;
    current_ = {0, kLinkTarget, head[1]};
    running_ = 2u + head[1];
    return true;
  }

  // The tuple at the running offset, past null tuples; an end tuple ends the chain.
  bool findTuple() {
    uint8_t head[4];
    for (unsigned nulls = 0;; ++nulls) {
      if (nulls == kMaxNullRun) return false;
      if (!readBytes(running_, head, 2 * stride_)) return false;
      if (head[0] != kNullTuple) break;
      running_ += stride_;
    }
    if (head[0] == kEndTuple) return chainEnded();
    current_ = {running_, head[0], head[stride_]};
    running_ += (2u + current_.link) * stride_;
    return true;
  }

  bool readBytes(uint32_t offset, uint8_t* into, uint32_t length) {
    return access_.cardRead(cardservice::SlotRequest{socket_, space_, offset}, into, length) == R_SUCCESS;
  }

  CardAccess& access_;
  uint8_t socket_;
  uint8_t space_ = kAttributeSpace;
  uint32_t stride_ = 2;
  uint32_t running_ = 0;  // offset of the next tuple
  Tuple current_;
};

}  // namespace

std::vector<cis::CisTupleRecord> readCardCis(CardAccess& access, uint8_t socket) {
  std::vector<cis::CisTupleRecord> records;
  CisWalker walker(access, socket);
  for (bool found = walker.first(); found; found = walker.next()) {
    cis::CisTupleRecord record{};
    record.socket = socket;
    record.attributeWord = 1;
    record.requestedCode = 0xFF;
    record.address = walker.current().offset;
    record.cardCode = walker.current().code;
    record.cardLink = walker.current().link;
    if (!walker.readBody(record)) break;
    records.push_back(record);
    if (records.size() == kMaxCisTuples) break;
  }
  return records;
}

std::vector<cis::CisTupleEntry> cisTupleList(const std::vector<cis::CisTupleRecord>& records) {
  std::vector<cis::CisTupleEntry> entries;
  entries.reserve(records.size());
  for (const cis::CisTupleRecord& record : records) entries.push_back({record.cardCode, &record});
  return entries;
}

}  // namespace tessel
