// The transports of the Windows build: the SCSI layer by system family
// (pass-through on NT, ASPI on Windows 9x), the USB driver, then the virtual
// reader-writers.
#include <windows.h>

#include "in_process_devices.h"
#include "transport/aspi_layer.h"
#include "transport/spti_layer.h"
#include "transport/usb_driver_layer.h"
#include "transport/win32_aspi_system.h"
#include "transport/win32_spti_system.h"
#include "transport/win32_usb_driver_system.h"
#include "virtual/virtual_layer.h"

namespace zrb2x {
namespace {

// A layer together with the system calls it runs on.
template <typename Layer, typename System>
class SystemLayer : public DeviceLayer {
 public:
  SystemLayer() : layer_(system_) {}
  bool open() override { return layer_.open(); }
  void close() override { layer_.close(); }
  uint32_t scan(uint32_t limit) override { return layer_.scan(limit); }
  DeviceLink* link(uint32_t index) override { return layer_.link(index); }

 private:
  System system_;
  Layer layer_;
};

bool isNtFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

uint32_t platformLastError() { return GetLastError(); }

std::unique_ptr<DeviceLibrary> makePlatformDeviceLibrary() {
  std::vector<std::unique_ptr<DeviceLayer>> real;
  if (isNtFamily())
    real.push_back(std::make_unique<SystemLayer<SptiLayer, win::SptiSystem>>());
  else
    real.push_back(std::make_unique<SystemLayer<AspiLayer, win::AspiSystem>>());
  real.push_back(std::make_unique<SystemLayer<UsbDriverLayer, win::UsbDriverSystem>>());
  return std::make_unique<DeviceLibrary>(std::move(real), std::make_unique<virt::VirtualLayer>());
}

}  // namespace zrb2x
