#include "win32_usb_driver_system.h"

#include <setupapi.h>

namespace zrb2x::win {
namespace {

// The device interface class of the reader-writer's USB driver.
const GUID kInterfaceClass = {0x2FFB2401, 0xF3D1, 0x11D5, {0x81, 0xDD, 0x00, 0x01, 0x02, 0x58, 0xD0, 0x39}};
constexpr DWORD kMaxDetail = 512;

class DeviceInfoSet {
 public:
  DeviceInfoSet()
      : set_(SetupDiGetClassDevsA(&kInterfaceClass, nullptr, nullptr,
                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
  ~DeviceInfoSet() {
    if (valid()) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
  bool interfaceAt(uint32_t index, SP_DEVICE_INTERFACE_DATA* data) const {
    data->cbSize = sizeof *data;
    return SetupDiEnumDeviceInterfaces(set_, nullptr, &kInterfaceClass, index, data) != 0;
  }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

}  // namespace

uint32_t UsbDriverSystem::countInterfaces(uint32_t max) {
  DeviceInfoSet set;
  if (!set.valid()) return 0;
  SP_DEVICE_INTERFACE_DATA data;
  uint32_t count = 0;
  while (count < max && set.interfaceAt(count, &data)) ++count;
  return count;
}

std::string UsbDriverSystem::interfacePath(uint32_t index) {
  DeviceInfoSet set;
  SP_DEVICE_INTERFACE_DATA data;
  if (!set.valid() || !set.interfaceAt(index, &data)) return {};
  alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_A) char buffer[kMaxDetail] = {};
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(set.get(), &data, detail, kMaxDetail, nullptr, nullptr)) return {};
  buffer[kMaxDetail - 1] = '\0';
  return detail->DevicePath;
}

os::Handle UsbDriverSystem::openFile(const std::string& path) {
  return fromHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

uint32_t UsbDriverSystem::deviceControl(os::Handle handle, uint32_t code, const void* input,
                                        uint32_t length) {
  DWORD returned = 0;
  if (DeviceIoControl(toHandle(handle), code, const_cast<void*>(input), length, nullptr, 0, &returned,
                      nullptr))
    return 0;
  return GetLastError();
}

// A short transfer leaves part of the caller's buffer undefined: a failure.
uint32_t UsbDriverSystem::readFile(os::Handle handle, void* data, uint32_t count) {
  DWORD done = 0;
  if (!ReadFile(toHandle(handle), data, count, &done, nullptr)) return GetLastError();
  return done == count ? 0 : ERROR_INVALID_DATA;
}

uint32_t UsbDriverSystem::writeFile(os::Handle handle, const void* data, uint32_t count) {
  DWORD done = 0;
  if (!WriteFile(toHandle(handle), data, count, &done, nullptr)) return GetLastError();
  return done == count ? 0 : ERROR_INVALID_DATA;
}

}  // namespace zrb2x::win
