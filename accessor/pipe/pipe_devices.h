// The device library's whole operation set on NT-family systems: each
// operation is one request to the access service over its pipe, so a program
// holds the same interface whether the devices are driven in its own process
// or by the service.
#pragma once

#include <cstdint>
#include <memory>

#include "library_operations.h"
#include "pipe_protocol.h"
#include "pipe_transport.h"

namespace zrb2x::pipe {

class PipeDevices : public LibraryOperations {
 public:
  explicit PipeDevices(std::unique_ptr<PipeTransport> transport);
  ~PipeDevices() override;

  uint32_t WriteSectors(uint32_t device, uint32_t firstSector, uint32_t sectorCount, const void* source,
                        uint32_t sectorSize) override;
  uint32_t ReadSectors(uint32_t device, uint32_t firstSector, uint32_t sectorCount, void* destination,
                       uint32_t sectorSize) override;
  uint32_t GetStatus(uint32_t device, uint32_t* status) override;
  uint32_t WriteCommon(uint32_t device, uint32_t address, uint32_t count, const void* source) override;
  uint32_t ReadCommon(uint32_t device, uint32_t address, uint32_t count, void* destination) override;
  uint32_t WriteAttribute(uint32_t device, uint32_t address, uint32_t count, const void* source) override;
  uint32_t ReadAttribute(uint32_t device, uint32_t address, uint32_t count, void* destination) override;
  uint32_t EraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) override;
  uint32_t WriteDeviceTable(uint32_t device, const DeviceTable* table) override;
  uint32_t ReadDeviceTable(uint32_t device, DeviceTable* table) override;
  bool ReleaseDevice(uint32_t device) override;
  bool AcquireDevice(uint32_t device) override;
  uint32_t CountDevices() override;
  bool CloseLibrary() override;
  bool OpenLibrary() override;

  // The protocol carries no request for a device's identity: devices are
  // told apart by their numbers, which the service keeps stable across
  // rescans.
  std::string Identity(uint32_t device) override;
  // A failed exchange or a failed Boolean request leaves the service's (or
  // the pipe's) error code as this thread's last error.
  uint32_t LastSystemError() override;

  // The Boolean requests are true on status 0.
  bool QueryDriveLetter(uint32_t device, uint32_t* value) override;
  bool QueryDiscoveryPosition(uint32_t device, uint32_t* value) override;
  bool Load(uint32_t device) override;
  bool Eject(uint32_t device) override;
  uint32_t Rezero(uint32_t device) override;
  uint32_t Inquiry(uint32_t device, uint8_t* data36) override;
  uint32_t ReadCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second) override;
  uint32_t DownloadFirmware(uint32_t device, const void* image, uint32_t count) override;
  uint32_t VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1, uint8_t b2) override;
  uint32_t AtaWriteTaskFile(uint32_t device, const uint8_t* registers8) override;
  uint32_t AtaReadTaskFile(uint32_t device, uint8_t* registers8) override;
  uint32_t AtaExecute(uint32_t device) override;
  uint32_t AtaWriteData(uint32_t device, uint16_t sectors, const void* data) override;
  uint32_t AtaReadData(uint32_t device, uint16_t sectors, void* data) override;
  // Identify: task file out, one sector in, task file back.
  uint32_t AtaIdentify(uint32_t device, AtaGeometry* geometry);

  bool connected() const { return connected_; }

 private:
  uint32_t send(uint32_t code, uint32_t direction, uint32_t device, uint32_t length, uint32_t count,
                void* block, uint32_t address = 0, uint32_t option = 0);
  uint32_t send(const ServiceRequest& request, void* block);
  bool sendAndTell(uint32_t code, uint32_t device);

  std::unique_ptr<PipeTransport> transport_;
  bool connected_ = false;
};

}  // namespace zrb2x::pipe
