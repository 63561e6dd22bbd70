#include "win32_spti_system.h"

#include <ntddscsi.h>
#include <winioctl.h>

#include <cstring>

namespace zrb2x::win {
namespace {

struct PassThroughWithSense {
  SCSI_PASS_THROUGH_DIRECT request;
  ULONG filler;  // keeps the sense area aligned
  UCHAR sense[24];
};

bool control(os::Handle device, DWORD code, void* buffer = nullptr, DWORD inLength = 0, DWORD outLength = 0) {
  DWORD returned = 0;
  return DeviceIoControl(toHandle(device), code, buffer, inLength, buffer, outLength, &returned, nullptr) !=
         0;
}

// Volume enumeration is bound at run time: systems before Windows 2000 lack it.
template <typename Function>
Function kernel32(const char* name) {
  HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

uint32_t SptiSystem::logicalDrives() { return GetLogicalDrives(); }

bool SptiSystem::isRemovableDrive(char letter) {
  const char root[] = {letter, ':', '\\', '\0'};
  return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

os::Handle SptiSystem::openDevice(const std::string& path) {
  return fromHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool SptiSystem::passThrough(os::Handle device, const os::PassThroughRequest& r, uint32_t* error) {
  PassThroughWithSense block{};
  SCSI_PASS_THROUGH_DIRECT& p = block.request;
  p.Length = sizeof p;
  p.PathId = r.path;
  p.TargetId = r.target;
  p.Lun = r.lun;
  p.CdbLength = r.cdbLength;
  p.SenseInfoLength = sizeof block.sense;
  p.DataIn = r.direction == Direction::In    ? SCSI_IOCTL_DATA_IN
             : r.direction == Direction::Out ? SCSI_IOCTL_DATA_OUT
                                             : SCSI_IOCTL_DATA_UNSPECIFIED;
  p.DataTransferLength = r.count;
  p.DataBuffer = r.data;
  p.TimeOutValue = r.timeoutSeconds;
  p.SenseInfoOffset = offsetof(PassThroughWithSense, sense);
  std::memcpy(p.Cdb, r.cdb, std::min<size_t>(r.cdbLength, sizeof p.Cdb));
  if (!control(device, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block, sizeof block)) {
    *error = GetLastError();
    return false;
  }
  std::memcpy(r.sense, block.sense, sizeof block.sense);
  if (r.scsiStatus) *r.scsiStatus = p.ScsiStatus;
  if (r.transferred) *r.transferred = p.DataTransferLength;
  return true;
}

os::ScsiAddress SptiSystem::scsiAddress(os::Handle device) {
  SCSI_ADDRESS address{};
  address.Length = sizeof address;
  if (!control(device, IOCTL_SCSI_GET_ADDRESS, &address, sizeof address, sizeof address)) return {};
  return {address.Length, address.PortNumber, address.PathId, address.TargetId, address.Lun};
}

std::string SptiSystem::volumeNameOfDrive(char letter) {
  using GetName = BOOL(WINAPI*)(LPCSTR, LPSTR, DWORD);
  auto getName = kernel32<GetName>("GetVolumeNameForVolumeMountPointA");
  const char root[] = {letter, ':', '\\', '\0'};
  char name[MAX_PATH] = {};
  return getName && getName(root, name, MAX_PATH) ? name : "";
}

std::vector<std::string> SptiSystem::volumeNames() {
  using FindFirst = HANDLE(WINAPI*)(LPSTR, DWORD);
  using FindNext = BOOL(WINAPI*)(HANDLE, LPSTR, DWORD);
  using FindClose = BOOL(WINAPI*)(HANDLE);
  auto first = kernel32<FindFirst>("FindFirstVolumeA");
  auto next = kernel32<FindNext>("FindNextVolumeA");
  auto close = kernel32<FindClose>("FindVolumeClose");
  std::vector<std::string> names;
  if (!first || !next || !close) return names;
  char name[MAX_PATH] = {};
  HANDLE find = first(name, MAX_PATH);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(name);
  while (next(find, name, MAX_PATH));
  close(find);
  return names;
}

bool SptiSystem::lockVolume(os::Handle device) { return control(device, FSCTL_LOCK_VOLUME); }
bool SptiSystem::unlockVolume(os::Handle device) { return control(device, FSCTL_UNLOCK_VOLUME); }
bool SptiSystem::dismountVolume(os::Handle device) { return control(device, FSCTL_DISMOUNT_VOLUME); }
bool SptiSystem::loadMedia(os::Handle device) { return control(device, IOCTL_DISK_LOAD_MEDIA); }
bool SptiSystem::ejectMedia(os::Handle device) { return control(device, IOCTL_DISK_EJECT_MEDIA); }

}  // namespace zrb2x::win
