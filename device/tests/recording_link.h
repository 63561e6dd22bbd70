// A fake transport that records every command and answers from a script, with
// an optional 16-bit memory behind the memory commands.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "big_endian.h"
#include "device_link.h"

namespace zrb2x::test {

struct RecordedCall {
  std::vector<uint8_t> cdb;
  Direction direction;
  uint32_t count;
  std::vector<uint8_t> sent;  // data of an out command
};

class RecordingLink : public DeviceLink {
 public:
  // Returns the device result; may fill `data` for in commands.
  std::function<uint32_t(const RecordedCall&, uint8_t* data)> answer = [](const RecordedCall&, uint8_t*) {
    return 0u;
  };
  std::vector<RecordedCall> calls;
  bool hasCdbBuffer = true;

  uint8_t* cdbBuffer() override { return hasCdbBuffer ? cdb_ : nullptr; }
  uint32_t execute(Direction direction, uint32_t cdbLength, void* data, uint32_t count) override {
    RecordedCall call{std::vector<uint8_t>(cdb_, cdb_ + cdbLength), direction, count, {}};
    if (direction == Direction::Out && data)
      call.sent.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + count);
    calls.push_back(call);
    return answer(calls.back(), static_cast<uint8_t*>(data));
  }
  bool load() override { return true; }
  bool eject() override { return true; }
  bool acquire() override { return true; }
  bool release() override { return true; }
  bool queryDriveLetter(uint32_t*) override { return false; }
  bool queryDiscoveryPosition(uint32_t*) override { return false; }
  std::string identity() const override { return "recording"; }

  // Serves 0x20/0x22 (common) and 0x24/0x26 (attribute) from `memory`.
  void backWithMemory(std::vector<uint8_t>& memory) {
    answer = [&memory](const RecordedCall& call, uint8_t* data) -> uint32_t {
      const uint32_t address = getBig32(call.cdb.data() + 2);
      const uint8_t op = call.cdb[0];
      if (op == 0x20 || op == 0x24) std::memcpy(data, memory.data() + address, call.count);
      if (op == 0x22 || op == 0x26) std::memcpy(memory.data() + address, call.sent.data(), call.count);
      return 0;
    };
  }

 private:
  uint8_t cdb_[kCdbCapacity] = {};
};

inline std::vector<uint8_t> bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> v;
  for (int b : values) v.push_back(static_cast<uint8_t>(b));
  return v;
}

}  // namespace zrb2x::test
