// The service's device backend over the device library's in-process binding.
#pragma once

#include "in_process_devices.h"
#include "service_backend.h"

namespace zrb2x::service {

class DeviceLibraryBackend final : public ServiceBackend {
 public:
  // `lastError` reads the thread's last-error value (the Win32 layer passes
  // GetLastError); it is read right after a failed system-level call.
  DeviceLibraryBackend(InProcessDevices& devices, uint32_t (*lastError)())
      : devices_(devices), lastError_(lastError) {}

  uint32_t enumerate() override { return devices_.CountDevices(); }
  std::string identity(uint32_t d) override {
    DeviceEntry* e = devices_.library().entry(d);
    return e && e->link ? e->link->identity() : std::string();
  }
  SystemCallResult queryDriveLetter(uint32_t d, uint32_t* v) override {
    return call(devices_.QueryDriveLetter(d, v));
  }
  SystemCallResult queryDiscoveryPosition(uint32_t d, uint32_t* v) override {
    return call(devices_.QueryDiscoveryPosition(d, v));
  }
  SystemCallResult load(uint32_t d) override { return call(devices_.Load(d)); }
  SystemCallResult eject(uint32_t d) override { return call(devices_.Eject(d)); }
  SystemCallResult acquire(uint32_t d) override { return call(devices_.AcquireDevice(d)); }
  SystemCallResult release(uint32_t d) override { return call(devices_.ReleaseDevice(d)); }

  uint32_t rezero(uint32_t d) override { return devices_.Rezero(d); }
  uint32_t writeDeviceTable(uint32_t d, const DeviceTable* t) override {
    return devices_.WriteDeviceTable(d, t);
  }
  uint32_t readDeviceTable(uint32_t d, DeviceTable* t) override { return devices_.ReadDeviceTable(d, t); }
  uint32_t inquiry(uint32_t d, uint8_t* data36) override { return devices_.Inquiry(d, data36); }
  uint32_t getStatus(uint32_t d, uint32_t* s) override { return devices_.GetStatus(d, s); }
  uint32_t readCommon(uint32_t d, uint32_t a, uint32_t n, void* p) override {
    return devices_.ReadCommon(d, a, n, p);
  }
  uint32_t writeCommon(uint32_t d, uint32_t a, uint32_t n, const void* p) override {
    return devices_.WriteCommon(d, a, n, p);
  }
  uint32_t readAttribute(uint32_t d, uint32_t a, uint32_t n, void* p) override {
    return devices_.ReadAttribute(d, a, n, p);
  }
  uint32_t writeAttribute(uint32_t d, uint32_t a, uint32_t n, const void* p) override {
    return devices_.WriteAttribute(d, a, n, p);
  }
  uint32_t eraseMemory(uint32_t d, uint32_t space, uint32_t a, uint32_t n) override {
    return devices_.EraseMemory(d, space, a, n);
  }
  uint32_t readCapacity(uint32_t d, uint32_t a, uint32_t* first, uint32_t* second) override {
    return devices_.ReadCapacity(d, a, first, second);
  }
  uint32_t readSectors(uint32_t d, uint32_t first, uint32_t n, void* p) override {
    return devices_.ReadSectors(d, first, n, p, kSectorSize);
  }
  uint32_t writeSectors(uint32_t d, uint32_t first, uint32_t n, const void* p) override {
    return devices_.WriteSectors(d, first, n, p, kSectorSize);
  }
  uint32_t downloadFirmware(uint32_t d, const void* image, uint32_t n) override {
    return devices_.DownloadFirmware(d, image, n);
  }
  uint32_t vendorCommand3D(uint32_t d, uint32_t a, uint16_t w, uint8_t b1, uint8_t b2) override {
    return devices_.VendorCommand3D(d, a, w, b1, b2);
  }
  uint32_t ataWriteTaskFile(uint32_t d, const uint8_t* r) override { return devices_.AtaWriteTaskFile(d, r); }
  uint32_t ataReadTaskFile(uint32_t d, uint8_t* r) override { return devices_.AtaReadTaskFile(d, r); }
  uint32_t ataExecute(uint32_t d) override { return devices_.AtaExecute(d); }
  uint32_t ataWriteData(uint32_t d, uint16_t n, const void* p) override {
    return devices_.AtaWriteData(d, n, p);
  }
  uint32_t ataReadData(uint32_t d, uint16_t n, void* p) override { return devices_.AtaReadData(d, n, p); }

 private:
  SystemCallResult call(bool ok) { return {ok, ok ? 0u : lastError_()}; }

  InProcessDevices& devices_;
  uint32_t (*lastError_)();
};

}  // namespace zrb2x::service
