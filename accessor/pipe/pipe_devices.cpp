#include "pipe_devices.h"

#include <cstring>

#include "pipe_exchange.h"

namespace zrb2x::pipe {

PipeDevices::PipeDevices(std::unique_ptr<PipeTransport> transport) : transport_(std::move(transport)) {}

PipeDevices::~PipeDevices() = default;

uint32_t PipeDevices::send(const ServiceRequest& request, void* block) {
  return exchangeRequest(*transport_, request, block);
}

uint32_t PipeDevices::send(uint32_t code, uint32_t direction, uint32_t device, uint32_t length,
                           uint32_t count, void* block, uint32_t address, uint32_t option) {
  ServiceRequest r{};
  r.code = code;
  r.direction = direction;
  r.device = device;
  r.option = option;
  r.address = address;
  r.length = length;
  r.count = count;
  // A caller's null buffer is answered like the device library answers it,
  // instead of being written through.
  if (direction != kNoData && !block && announcedBlockSize(r) != 0) return status::kMissingData;
  return send(r, block);
}

bool PipeDevices::sendAndTell(uint32_t code, uint32_t device) {
  return send(code, kNoData, device, 0, 0, nullptr) == status::kOk;
}

uint32_t PipeDevices::WriteSectors(uint32_t device, uint32_t first, uint32_t sectors, const void* source,
                                   uint32_t sectorSize) {
  return send(code::kWriteSectors, kToServer, device, sectors, sectorSize, const_cast<void*>(source), first);
}

uint32_t PipeDevices::ReadSectors(uint32_t device, uint32_t first, uint32_t sectors, void* destination,
                                  uint32_t sectorSize) {
  return send(code::kReadSectors, kToClient, device, sectors, sectorSize, destination, first);
}

uint32_t PipeDevices::GetStatus(uint32_t device, uint32_t* status) {
  if (!status) return status::kMissingData;
  return send(code::kGetStatus, kToClient, device, 4, 1, status);
}

uint32_t PipeDevices::WriteCommon(uint32_t device, uint32_t address, uint32_t count, const void* source) {
  return send(code::kWriteCommon, kToServer, device, count, 1, const_cast<void*>(source), address);
}

uint32_t PipeDevices::ReadCommon(uint32_t device, uint32_t address, uint32_t count, void* destination) {
  return send(code::kReadCommon, kToClient, device, count, 1, destination, address);
}

uint32_t PipeDevices::WriteAttribute(uint32_t device, uint32_t address, uint32_t count, const void* source) {
  return send(code::kWriteAttribute, kToServer, device, count, 1, const_cast<void*>(source), address);
}

uint32_t PipeDevices::ReadAttribute(uint32_t device, uint32_t address, uint32_t count, void* destination) {
  return send(code::kReadAttribute, kToClient, device, count, 1, destination, address);
}

uint32_t PipeDevices::EraseMemory(uint32_t device, uint32_t space, uint32_t address, uint32_t count) {
  return send(code::kEraseMemory, kNoData, device, count, 0, nullptr, address, space);
}

uint32_t PipeDevices::WriteDeviceTable(uint32_t device, const DeviceTable* table) {
  if (!table) return status::kMissingData;
  return send(code::kWriteDeviceTable, kToServer, device, sizeof *table, 1, const_cast<DeviceTable*>(table));
}

uint32_t PipeDevices::ReadDeviceTable(uint32_t device, DeviceTable* table) {
  if (!table) return status::kMissingData;
  return send(code::kReadDeviceTable, kToClient, device, sizeof *table, 1, table);
}

bool PipeDevices::ReleaseDevice(uint32_t device) { return sendAndTell(code::kRelease, device); }

bool PipeDevices::AcquireDevice(uint32_t device) { return sendAndTell(code::kAcquire, device); }

uint32_t PipeDevices::CountDevices() {
  uint32_t count = 0;
  return send(code::kCountDevices, kToClient, 0, 4, 1, &count) == status::kOk ? count : 0;
}

bool PipeDevices::OpenLibrary() {
  if (!transport_->openMutex()) return false;
  connected_ = sendAndTell(code::kAttach, 0);
  return connected_;
}

bool PipeDevices::CloseLibrary() {
  bool closed = true;
  if (connected_) {
    closed = sendAndTell(code::kDetach, 0);
    connected_ = false;
  }
  transport_->closeMutex();
  return closed;
}

bool PipeDevices::QueryDriveLetter(uint32_t device, uint32_t* value) {
  return value && send(code::kQueryDriveLetter, kToClient, device, 4, 1, value) == status::kOk;
}

bool PipeDevices::QueryDiscoveryPosition(uint32_t device, uint32_t* value) {
  return value && send(code::kQueryDiscoveryPosition, kToClient, device, 4, 1, value) == status::kOk;
}

bool PipeDevices::Load(uint32_t device) { return sendAndTell(code::kLoad, device); }

bool PipeDevices::Eject(uint32_t device) { return sendAndTell(code::kEject, device); }

uint32_t PipeDevices::Rezero(uint32_t device) { return send(code::kRezero, kNoData, device, 0, 0, nullptr); }

uint32_t PipeDevices::Inquiry(uint32_t device, uint8_t* data36) {
  return send(code::kInquiry, kToClient, device, 36, 1, data36);
}

uint32_t PipeDevices::ReadCapacity(uint32_t device, uint32_t address, uint32_t* first, uint32_t* second) {
  if (!first || !second) return status::kMissingData;
  uint32_t values[2] = {};
  uint32_t result = send(code::kReadCapacity, kToClient, device, 8, 1, values, address);
  *first = values[0];
  *second = values[1];
  return result;
}

std::string PipeDevices::Identity(uint32_t) { return {}; }

uint32_t PipeDevices::LastSystemError() { return transport_->readLastError(); }

uint32_t PipeDevices::DownloadFirmware(uint32_t device, const void* image, uint32_t count) {
  return send(code::kDownloadFirmware, kToServer, device, count, 1, const_cast<void*>(image));
}

uint32_t PipeDevices::VendorCommand3D(uint32_t device, uint32_t address, uint16_t word, uint8_t b1,
                                      uint8_t b2) {
  ServiceRequest r{};
  r.code = code::kVendorCommand3D;
  r.device = device;
  r.address = address;
  r.length = word;
  r.extraA = b1;
  r.extraB = b2;
  return send(r, nullptr);
}

uint32_t PipeDevices::AtaWriteTaskFile(uint32_t device, const uint8_t* registers8) {
  return send(code::kAtaWriteTaskFile, kToServer, device, 1, 8, const_cast<uint8_t*>(registers8));
}

uint32_t PipeDevices::AtaReadTaskFile(uint32_t device, uint8_t* registers8) {
  return send(code::kAtaReadTaskFile, kToClient, device, 1, 8, registers8);
}

uint32_t PipeDevices::AtaExecute(uint32_t device) {
  return send(code::kAtaExecute, kNoData, device, 0, 0, nullptr);
}

uint32_t PipeDevices::AtaWriteData(uint32_t device, uint16_t sectors, const void* data) {
  return send(code::kAtaWriteData, kToServer, device, sectors, kSectorBytes, const_cast<void*>(data));
}

uint32_t PipeDevices::AtaReadData(uint32_t device, uint16_t sectors, void* data) {
  return send(code::kAtaReadData, kToClient, device, sectors, kSectorBytes, data);
}

uint32_t PipeDevices::AtaIdentify(uint32_t device, AtaGeometry* geometry) {
  if (!geometry) return status::kMissingData;
  uint8_t taskFile[8] = {0, 0, 1, 0, 0, 0, 0xE0, 0xEC};
  uint16_t words[256] = {};
  uint32_t result = AtaWriteTaskFile(device, taskFile);
  if (result == status::kOk) result = AtaReadData(device, 1, words);
  if (result == status::kOk) result = AtaReadTaskFile(device, taskFile);
  if (result != status::kOk) return result;
  *geometry = {};
  geometry->totalSectors = words[60] | uint32_t{words[61]} << 16;
  const bool current = words[54] != 0;
  geometry->cylinders = current ? words[54] : words[1];
  geometry->heads = current ? words[55] : words[3];
  geometry->sectorsPerTrack = current ? words[56] : words[6];
  return status::kOk;
}

}  // namespace zrb2x::pipe
