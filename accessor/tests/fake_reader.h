// A reader-writer in memory behind the device operations: one card with
// common memory, attribute memory and a sector image, a region table and a
// status word; every call is logged, and any operation can be made to fail.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "device_operations.h"

namespace accessor::test {

struct LoggedCall {
  std::string op;
  uint32_t device;
  uint32_t address;  // card address, first sector or memory space
  uint32_t count;    // bytes or sectors
};

class FakeReader : public zrb2x::DeviceOperations {
 public:
  std::vector<uint8_t> common = std::vector<uint8_t>(0x100000, 0x00);
  std::vector<uint8_t> attribute = std::vector<uint8_t>(0x2000, 0x00);
  std::vector<uint8_t> sectors = std::vector<uint8_t>(64 * 512, 0x00);
  zrb2x::DeviceTable table{};
  uint32_t status = 0x30B;  // card present, both batteries good, ready
  uint32_t statusResult = 0;
  uint32_t devices = 1;
  bool opens = true;
  bool acquires = true;
  bool releases = true;
  std::map<std::string, uint32_t> failures;    // operation name -> device result
  std::map<std::string, size_t> succeedFirst;  // calls of an operation that pass before it fails
  std::vector<LoggedCall> log;
  int closed = 0;

  size_t calls(const std::string& op) const {
    size_t n = 0;
    for (const auto& call : log) n += call.op == op;
    return n;
  }

  uint32_t WriteSectors(uint32_t device, uint32_t first, uint32_t count, const void* source,
                        uint32_t size) override {
    if (uint32_t r = enter("WriteSectors", device, first, count)) return r;
    std::memcpy(sectors.data() + first * size, source, count * size);
    return 0;
  }
  uint32_t ReadSectors(uint32_t device, uint32_t first, uint32_t count, void* destination,
                       uint32_t size) override {
    if (uint32_t r = enter("ReadSectors", device, first, count)) return r;
    std::memcpy(destination, sectors.data() + first * size, count * size);
    return 0;
  }
  uint32_t GetStatus(uint32_t device, uint32_t* out) override {
    log.push_back({"GetStatus", device, 0, 0});
    *out = status;
    return statusResult;
  }
  uint32_t WriteCommon(uint32_t device, uint32_t address, uint32_t count, const void* source) override {
    if (uint32_t r = enter("WriteCommon", device, address, count)) return r;
    std::memcpy(common.data() + address, source, count);
    return 0;
  }
  uint32_t ReadCommon(uint32_t device, uint32_t address, uint32_t count, void* destination) override {
    if (uint32_t r = enter("ReadCommon", device, address, count)) return r;
    std::memcpy(destination, common.data() + address, count);
    return 0;
  }
  uint32_t WriteAttribute(uint32_t device, uint32_t address, uint32_t count, const void* source) override {
    if (uint32_t r = enter("WriteAttribute", device, address, count)) return r;
    std::memcpy(attribute.data() + address, source, count);
    return 0;
  }
  uint32_t ReadAttribute(uint32_t device, uint32_t address, uint32_t count, void* destination) override {
    if (uint32_t r = enter("ReadAttribute", device, address, count)) return r;
    std::memcpy(destination, attribute.data() + address, count);
    return 0;
  }
  uint32_t EraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) override {
    if (uint32_t r = enter("EraseMemory", device, address, count)) return r;
    auto& memory = space ? attribute : common;
    std::memset(memory.data() + address, 0xFF, count);
    return 0;
  }
  uint32_t WriteDeviceTable(uint32_t device, const zrb2x::DeviceTable* in) override {
    if (uint32_t r = enter("WriteDeviceTable", device, 0, 0)) return r;
    table = *in;
    return 0;
  }
  uint32_t ReadDeviceTable(uint32_t device, zrb2x::DeviceTable* out) override {
    if (uint32_t r = enter("ReadDeviceTable", device, 0, 0)) return r;
    *out = table;
    out->valid = 1;
    return 0;
  }
  bool ReleaseDevice(uint32_t device) override {
    log.push_back({"ReleaseDevice", device, 0, 0});
    return releases;
  }
  bool AcquireDevice(uint32_t device) override {
    log.push_back({"AcquireDevice", device, 0, 0});
    return acquires;
  }
  uint32_t CountDevices() override { return devices; }
  bool CloseLibrary() override {
    ++closed;
    return true;
  }
  bool OpenLibrary() override { return opens; }

 private:
  uint32_t enter(const char* op, uint32_t device, uint32_t address, uint32_t count) {
    log.push_back({op, device, address, count});
    auto failure = failures.find(op);
    if (failure == failures.end()) return 0;
    if (auto pass = succeedFirst.find(op); pass != succeedFirst.end() && pass->second > 0) {
      --pass->second;
      return 0;
    }
    return failure->second;
  }
};

}  // namespace accessor::test
