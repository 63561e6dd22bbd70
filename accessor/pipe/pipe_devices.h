// The device operations of NT-family systems: each one is a request to the
// access service over its pipe. Also the client functions for the service's
// other requests (library operations the accessor itself does not call).
#pragma once

#include <cstdint>
#include <memory>

#include "ata_operations.h"
#include "device_operations.h"
#include "pipe_protocol.h"
#include "pipe_transport.h"

namespace zrb2x::pipe {

class PipeDevices : public DeviceOperations {
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

  // The service's other requests. Results are statuses as above; the Boolean
  // ones are true on status 0 (a failure leaves the service's error code as
  // the thread's last error).
  bool QueryDriveLetter(uint32_t device, uint32_t* value);
  bool QueryDiscoveryPosition(uint32_t device, uint32_t* value);
  bool Load(uint32_t device);
  bool Eject(uint32_t device);
  uint32_t Rezero(uint32_t device);
  uint32_t Inquiry(uint32_t device, uint8_t* data36);
  uint32_t ReadCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second);
  uint32_t VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1, uint8_t b2);
  uint32_t AtaWriteTaskFile(uint32_t device, const uint8_t* registers8);
  uint32_t AtaReadTaskFile(uint32_t device, uint8_t* registers8);
  uint32_t AtaExecute(uint32_t device);
  uint32_t AtaWriteData(uint32_t device, uint16_t sectors, const void* data);
  uint32_t AtaReadData(uint32_t device, uint16_t sectors, void* data);
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
