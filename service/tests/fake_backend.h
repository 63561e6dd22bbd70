// A device backend for the service's native tests: a few devices with a
// memory each, every call recorded, results chosen by the test. Every data
// operation touches exactly the bytes its arguments name, so ASan catches a
// request that lets an operation run past its data block.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "library_operations.h"
#include "pipe_protocol.h"

namespace zrb2x::service::test {

// A request header with the fields the service's tests vary.
inline pipe::ServiceRequest makeRequest(uint32_t code, uint32_t direction, uint32_t device = 0,
                                        uint32_t length = 0, uint32_t count = 0, uint32_t address = 0) {
  pipe::ServiceRequest r{};
  r.code = code;
  r.direction = direction;
  r.device = device;
  r.length = length;
  r.count = count;
  r.address = address;
  return r;
}

// The outcome the fake's system-level calls give: success, or failure with
// the error the library then reports as its last.
struct SystemCallResult {
  bool ok;
  uint32_t error;
};

class FakeBackend : public LibraryOperations {
 public:
  static constexpr uint32_t kMemorySize = 1 << 20;

  uint32_t devices = 2;
  uint32_t result = 0;                   // device result of every command
  SystemCallResult systemCall{true, 0};  // outcome of the six system-level calls
  uint32_t queryValue = 0x43;
  uint32_t enumerations = 0;
  std::vector<std::string> calls;  // "name device address count"
  std::vector<uint8_t> memory = std::vector<uint8_t>(kMemorySize);

  uint32_t CountDevices() override {
    ++enumerations;
    return devices;
  }
  bool OpenLibrary() override { return true; }
  bool CloseLibrary() override { return true; }
  uint32_t LastSystemError() override { return systemCall.error; }
  // Devices are named by their place unless a test names them.
  std::vector<std::string> identities;
  std::string Identity(uint32_t d) override {
    return d < identities.size() ? identities[d] : "device" + std::to_string(d);
  }

  bool QueryDriveLetter(uint32_t d, uint32_t* v) override { return query("drive", d, v); }
  bool QueryDiscoveryPosition(uint32_t d, uint32_t* v) override { return query("position", d, v); }
  bool Load(uint32_t d) override { return sys("load", d); }
  bool Eject(uint32_t d) override { return sys("eject", d); }
  bool AcquireDevice(uint32_t d) override { return sys("acquire", d); }
  bool ReleaseDevice(uint32_t d) override { return sys("release", d); }

  uint32_t Rezero(uint32_t d) override { return note("rezero", d); }
  uint32_t WriteDeviceTable(uint32_t d, const DeviceTable* t) override {
    std::memcpy(&table, t, sizeof table);
    return note("writeTable", d);
  }
  uint32_t ReadDeviceTable(uint32_t d, DeviceTable* t) override {
    std::memcpy(t, &table, sizeof table);
    return note("readTable", d);
  }
  uint32_t Inquiry(uint32_t d, uint8_t* data) override {
    std::memset(data, 'I', 36);
    return note("inquiry", d);
  }
  uint32_t GetStatus(uint32_t d, uint32_t* s) override {
    *s = 0x30F;
    return note("status", d);
  }
  uint32_t ReadCommon(uint32_t d, uint32_t a, uint32_t n, void* p) override {
    return copyOut("readCommon", d, a, n, p);
  }
  uint32_t WriteCommon(uint32_t d, uint32_t a, uint32_t n, const void* p) override {
    return copyIn("writeCommon", d, a, n, p);
  }
  uint32_t ReadAttribute(uint32_t d, uint32_t a, uint32_t n, void* p) override {
    return copyOut("readAttribute", d, a, n, p);
  }
  uint32_t WriteAttribute(uint32_t d, uint32_t a, uint32_t n, const void* p) override {
    return copyIn("writeAttribute", d, a, n, p);
  }
  uint32_t EraseMemory(uint32_t d, uint32_t space, uint32_t a, uint32_t n) override {
    return note("erase", d, a, n, space);
  }
  uint32_t ReadCapacity(uint32_t d, uint32_t a, uint32_t* first, uint32_t* second) override {
    *first = 0x1000;
    *second = 0x200;
    return note("capacity", d, a);
  }
  uint32_t ReadSectors(uint32_t d, uint32_t first, uint32_t n, void* p, uint32_t) override {
    return copyOut("readSectors", d, first * 512ull, n * 512ull, p, n);
  }
  uint32_t WriteSectors(uint32_t d, uint32_t first, uint32_t n, const void* p, uint32_t) override {
    return copyIn("writeSectors", d, first * 512ull, n * 512ull, p, n);
  }
  uint32_t DownloadFirmware(uint32_t d, const void* image, uint32_t n) override {
    touch(image, n);
    return note("firmware", d, 0, n);
  }
  uint32_t VendorCommand3D(uint32_t d, uint32_t a, uint16_t w, uint8_t b1, uint8_t b2) override {
    return note("vendor3D", d, a, w, uint32_t{b1} << 8 | b2);
  }
  uint32_t AtaWriteTaskFile(uint32_t d, const uint8_t* r) override {
    std::memcpy(taskFile, r, 8);
    return note("ataWriteTaskFile", d);
  }
  uint32_t AtaReadTaskFile(uint32_t d, uint8_t* r) override {
    std::memcpy(r, taskFile, 8);
    return note("ataReadTaskFile", d);
  }
  uint32_t AtaExecute(uint32_t d) override { return note("ataExecute", d); }
  uint32_t AtaWriteData(uint32_t d, uint16_t n, const void* p) override {
    return copyIn("ataWriteData", d, 0, n * 512ull, p, n);
  }
  uint32_t AtaReadData(uint32_t d, uint16_t n, void* p) override {
    return copyOut("ataReadData", d, 0, n * 512ull, p, n);
  }

  DeviceTable table{};
  uint8_t taskFile[8]{};

 private:
  uint32_t note(const char* name, uint32_t d, uint64_t a = 0, uint64_t n = 0, uint32_t extra = 0) {
    calls.push_back(std::string(name) + " " + std::to_string(d) + " " + std::to_string(a) + " " +
                    std::to_string(n) + (extra ? " " + std::to_string(extra) : ""));
    return result;
  }
  bool sys(const char* name, uint32_t d) {
    note(name, d);
    return systemCall.ok;
  }
  bool query(const char* name, uint32_t d, uint32_t* v) {
    note(name, d);
    if (systemCall.ok) *v = queryValue;
    return systemCall.ok;
  }
  // Reads every byte of a source block (so ASan sees the whole extent).
  static void touch(const void* p, uint64_t n) {
    volatile uint8_t sink = 0;
    for (uint64_t i = 0; i < n; ++i) sink = sink + static_cast<const uint8_t*>(p)[i];
  }
  uint32_t copyOut(const char* name, uint32_t d, uint64_t a, uint64_t n, void* p,
                   uint64_t recorded = UINT64_MAX) {
    auto* out = static_cast<uint8_t*>(p);
    for (uint64_t i = 0; i < n; ++i) out[i] = memory[(a + i) % kMemorySize];
    return note(name, d, a, recorded == UINT64_MAX ? n : recorded);
  }
  uint32_t copyIn(const char* name, uint32_t d, uint64_t a, uint64_t n, const void* p,
                  uint64_t recorded = UINT64_MAX) {
    auto* in = static_cast<const uint8_t*>(p);
    for (uint64_t i = 0; i < n; ++i) memory[(a + i) % kMemorySize] = in[i];
    return note(name, d, a, recorded == UINT64_MAX ? n : recorded);
  }
};

}  // namespace zrb2x::service::test
