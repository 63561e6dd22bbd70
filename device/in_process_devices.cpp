#include "in_process_devices.h"

#include "card_status.h"
#include "commands.h"
#include "device_result.h"
#include "memory_transfers.h"
#include "region_table_codec.h"
#include "virtual/virtual_layer.h"

namespace zrb2x {

InProcessDevices::InProcessDevices() : library_(makePlatformDeviceLibrary()) {}

InProcessDevices::InProcessDevices(std::unique_ptr<DeviceLibrary> library) : library_(std::move(library)) {}

InProcessDevices::~InProcessDevices() = default;

std::unique_ptr<InProcessDevices> InProcessDevices::forVirtualReaders(const std::filesystem::path& root) {
  auto library = std::make_unique<DeviceLibrary>(std::vector<std::unique_ptr<DeviceLayer>>{},
                                                 std::make_unique<virt::VirtualLayer>(root));
  return std::make_unique<InProcessDevices>(std::move(library));
}

#define ZRB2X_WITH_ENTRY(device)            \
  DeviceEntry* e = library_->entry(device); \
  if (!e || !e->link) return result::kIllegalRequest

uint32_t InProcessDevices::WriteSectors(uint32_t device, uint32_t first, uint32_t count, const void* source,
                                        uint32_t sectorSize) {
  ZRB2X_WITH_ENTRY(device);
  return writeSectorRange(*e->link, first, count, source, sectorSize);
}

uint32_t InProcessDevices::ReadSectors(uint32_t device, uint32_t first, uint32_t count, void* destination,
                                       uint32_t sectorSize) {
  ZRB2X_WITH_ENTRY(device);
  return readSectorRange(*e->link, first, count, destination, sectorSize);
}

uint32_t InProcessDevices::GetStatus(uint32_t device, uint32_t* status) {
  ZRB2X_WITH_ENTRY(device);
  return readCardStatus(*e, status);
}

uint32_t InProcessDevices::WriteCommon(uint32_t device, uint32_t address, uint32_t count,
                                       const void* source) {
  ZRB2X_WITH_ENTRY(device);
  return writeCommonMemory(*e->link, address, count, source);
}

uint32_t InProcessDevices::ReadCommon(uint32_t device, uint32_t address, uint32_t count, void* destination) {
  ZRB2X_WITH_ENTRY(device);
  return readCommonMemory(*e->link, address, count, destination);
}

uint32_t InProcessDevices::WriteAttribute(uint32_t device, uint32_t address, uint32_t count,
                                          const void* source) {
  ZRB2X_WITH_ENTRY(device);
  return writeAttributeMemory(*e->link, address, count, source);
}

uint32_t InProcessDevices::ReadAttribute(uint32_t device, uint32_t address, uint32_t count,
                                         void* destination) {
  ZRB2X_WITH_ENTRY(device);
  return readAttributeMemory(*e->link, address, count, destination);
}

uint32_t InProcessDevices::EraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::erase(*e->link, space != 0, address, count);
}

uint32_t InProcessDevices::WriteDeviceTable(uint32_t device, const DeviceTable* table) {
  ZRB2X_WITH_ENTRY(device);
  if (!table) return result::kInvalidField;
  uint8_t raw[cmd::kRawRegionTableLength];
  encodeRegionTable(*table, e->firmwareRevision, raw);
  return cmd::writeRegionTable(*e->link, raw);
}

uint32_t InProcessDevices::ReadDeviceTable(uint32_t device, DeviceTable* table) {
  ZRB2X_WITH_ENTRY(device);
  if (!table) return result::kInvalidField;
  uint8_t raw[cmd::kRawRegionTableLength] = {};
  if (uint32_t r = cmd::readRegionTable(*e->link, raw)) return r;
  *table = decodeRegionTable(raw, e->firmwareRevision);
  return result::kOk;
}

bool InProcessDevices::ReleaseDevice(uint32_t device) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && e->link->release();
}

bool InProcessDevices::AcquireDevice(uint32_t device) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && e->link->acquire();
}

uint32_t InProcessDevices::CountDevices() { return library_->countDevices(); }

bool InProcessDevices::CloseLibrary() {
  library_->close();
  return true;
}

bool InProcessDevices::OpenLibrary() { return library_->open(); }

uint32_t InProcessDevices::Inquiry(uint32_t device, uint8_t* data) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::inquiry(*e->link, 0, data);
}

uint32_t InProcessDevices::Rezero(uint32_t device) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::rezero(*e->link);
}

uint32_t InProcessDevices::ReadCapacity(uint32_t device, uint32_t address, uint32_t* first,
                                        uint32_t* second) {
  ZRB2X_WITH_ENTRY(device);
  return readCapacityValues(*e->link, address, first, second);
}

uint32_t InProcessDevices::DownloadFirmware(uint32_t device, const void* image, uint32_t count) {
  ZRB2X_WITH_ENTRY(device);
  return downloadFirmware(*e->link, e->downloadMethod, image, count);
}

uint32_t InProcessDevices::VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1,
                                           uint8_t b2) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::vendor3D(*e->link, address, word, b1, b2);
}

uint32_t InProcessDevices::AtaWriteTaskFile(uint32_t device, const uint8_t* registers) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::ataPassThrough(*e->link, cmd::AtaSub::WriteTaskFile, 0, const_cast<uint8_t*>(registers));
}

uint32_t InProcessDevices::AtaReadTaskFile(uint32_t device, uint8_t* registers) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::ataPassThrough(*e->link, cmd::AtaSub::ReadTaskFile, 0, registers);
}

uint32_t InProcessDevices::AtaExecute(uint32_t device) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::ataPassThrough(*e->link, cmd::AtaSub::Execute, 0, nullptr);
}

uint32_t InProcessDevices::AtaWriteData(uint32_t device, uint16_t sectors, const void* data) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::ataPassThrough(*e->link, cmd::AtaSub::WriteData, sectors, const_cast<void*>(data));
}

uint32_t InProcessDevices::AtaReadData(uint32_t device, uint16_t sectors, void* data) {
  ZRB2X_WITH_ENTRY(device);
  return cmd::ataPassThrough(*e->link, cmd::AtaSub::ReadData, sectors, data);
}

uint32_t InProcessDevices::AtaIdentify(uint32_t device, AtaGeometry* geometry) {
  ZRB2X_WITH_ENTRY(device);
  return ataIdentify(*e->link, geometry);
}

bool InProcessDevices::Load(uint32_t device) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && e->link->load();
}

bool InProcessDevices::Eject(uint32_t device) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && e->link->eject();
}

bool InProcessDevices::QueryDriveLetter(uint32_t device, uint32_t* value) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && value && e->link->queryDriveLetter(value);
}

bool InProcessDevices::QueryDiscoveryPosition(uint32_t device, uint32_t* value) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link && value && e->link->queryDiscoveryPosition(value);
}

std::string InProcessDevices::Identity(uint32_t device) {
  DeviceEntry* e = library_->entry(device);
  return e && e->link ? e->link->identity() : std::string();
}

}  // namespace zrb2x
