// The device binding of NT-family systems, where only the access service may
// touch the reader-writers. Requests do not travel over the service's pipe
// yet: every operation answers as it does when the service cannot be reached,
// with the communication failure, so the module finds no reader-writer and
// does not load.
#pragma once

#include "device_operations.h"

namespace accessor {

constexpr uint32_t kCommunicationFailure = 0x08000004;

class ServicePipeOperations final : public zrb2x::DeviceOperations {
 public:
  uint32_t WriteSectors(uint32_t, uint32_t, uint32_t, const void*, uint32_t) override {
    return kCommunicationFailure;
  }
  uint32_t ReadSectors(uint32_t, uint32_t, uint32_t, void*, uint32_t) override {
    return kCommunicationFailure;
  }
  uint32_t GetStatus(uint32_t, uint32_t*) override { return kCommunicationFailure; }
  uint32_t WriteCommon(uint32_t, uint32_t, uint32_t, const void*) override { return kCommunicationFailure; }
  uint32_t ReadCommon(uint32_t, uint32_t, uint32_t, void*) override { return kCommunicationFailure; }
  uint32_t WriteAttribute(uint32_t, uint32_t, uint32_t, const void*) override {
    return kCommunicationFailure;
  }
  uint32_t ReadAttribute(uint32_t, uint32_t, uint32_t, void*) override { return kCommunicationFailure; }
  uint32_t EraseMemory(uint32_t, uint32_t, uint32_t, uint32_t) override { return kCommunicationFailure; }
  uint32_t WriteDeviceTable(uint32_t, const zrb2x::DeviceTable*) override { return kCommunicationFailure; }
  uint32_t ReadDeviceTable(uint32_t, zrb2x::DeviceTable*) override { return kCommunicationFailure; }
  bool ReleaseDevice(uint32_t) override { return false; }
  bool AcquireDevice(uint32_t) override { return false; }
  uint32_t CountDevices() override { return 0; }
  // Not connected: closing has nothing to say goodbye to.
  bool CloseLibrary() override { return true; }
  bool OpenLibrary() override { return false; }
};

}  // namespace accessor
