// The host build has no real transport: only the virtual reader-writers.
#include "in_process_devices.h"
#include "virtual/virtual_layer.h"

namespace zrb2x {

// Nothing on the host sets a system error for the library's bool calls.
uint32_t platformLastError() { return 0; }

std::unique_ptr<DeviceLibrary> makePlatformDeviceLibrary() {
  return std::make_unique<DeviceLibrary>(std::vector<std::unique_ptr<DeviceLayer>>{},
                                         std::make_unique<virt::VirtualLayer>());
}

}  // namespace zrb2x
