// The in-process binding of the device operations: the reader-writer command
// set over the device library's transports. The accessor uses it directly on
// Windows 9x; the access service serves its pipe with it.
//
// How to use it:
//   zrb2x::InProcessDevices devices;           // every transport of this build
//   devices.OpenLibrary();
//   uint32_t n = devices.CountDevices();       // devices 0 .. n-1, in list order
//
// Devices are numbered from 0 in list order: SCSI-layer devices (pass-through
// on NT-family systems, ASPI on Windows 9x), then USB-driver devices, then
// virtual reader-writers. The host build has only the virtual reader-writers.
//
// Virtual reader-writers: set the environment variable ZRB2X_VIRTUAL to a
// folder (on Windows the string value "VirtualReaders" under
// HKEY_LOCAL_MACHINE\Software\Orvane\zrb2x is the fallback); each subfolder
// holding a reader.txt is one reader-writer, in name order. Create them with
// the zrb2xvirt tool or, in tests, with virtual/card_templates.h:
//   zrb2x::virt::createReader(root / "r0", {});
//   zrb2x::virt::insertCard(root / "r0", zrb2x::virt::CardTemplate::Sram, {});
//   auto devices = zrb2x::InProcessDevices::forVirtualReaders(root);
// forVirtualReaders() uses the given folder and ignores the environment.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "ata_operations.h"
#include "device_library.h"
#include "library_operations.h"

namespace zrb2x {

class InProcessDevices : public LibraryOperations {
 public:
  InProcessDevices();  // the transports of this build
  explicit InProcessDevices(std::unique_ptr<DeviceLibrary> library);
  static std::unique_ptr<InProcessDevices> forVirtualReaders(const std::filesystem::path& root);
  ~InProcessDevices() override;

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

  std::string Identity(uint32_t device) override;
  uint32_t LastSystemError() override { return platformLastError(); }
  uint32_t Inquiry(uint32_t device, uint8_t* data36) override;
  uint32_t Rezero(uint32_t device) override;
  uint32_t ReadCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second) override;
  uint32_t DownloadFirmware(uint32_t device, const void* image, uint32_t count) override;
  uint32_t VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1, uint8_t b2) override;
  uint32_t AtaWriteTaskFile(uint32_t device, const uint8_t* registers8) override;
  uint32_t AtaReadTaskFile(uint32_t device, uint8_t* registers8) override;
  uint32_t AtaExecute(uint32_t device) override;
  uint32_t AtaWriteData(uint32_t device, uint16_t sectors, const void* data) override;
  uint32_t AtaReadData(uint32_t device, uint16_t sectors, void* data) override;
  uint32_t AtaIdentify(uint32_t device, AtaGeometry* geometry);
  bool Load(uint32_t device) override;
  bool Eject(uint32_t device) override;
  bool QueryDriveLetter(uint32_t device, uint32_t* value) override;
  bool QueryDiscoveryPosition(uint32_t device, uint32_t* value) override;

  DeviceLibrary& library() { return *library_; }

 private:
  std::unique_ptr<DeviceLibrary> library_;
};

// The transports of this build (Windows: SCSI layer by system family, USB
// driver, virtual; host: virtual only), with the virtual folder from the
// environment or the registry.
std::unique_ptr<DeviceLibrary> makePlatformDeviceLibrary();

}  // namespace zrb2x
