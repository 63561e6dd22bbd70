#include "device_list.h"

#include "card_status.h"
#include "commands.h"
#include "inquiry.h"

namespace zrb2x {

std::vector<DeviceEntry> buildDeviceList(const std::vector<DeviceLayer*>& layers) {
  std::vector<DeviceEntry> list;
  for (DeviceLayer* layer : layers) {
    const uint32_t found = layer->scan(kMaxDevices - static_cast<uint32_t>(list.size()));
    for (uint32_t i = 0; i < found && list.size() < kMaxDevices; ++i) {
      DeviceEntry entry;
      entry.link = layer->link(i);
      entry.index = i;
      list.push_back(entry);
    }
  }
  for (DeviceEntry& entry : list) {
    uint32_t status = 0;
    readCardStatus(entry, &status);
    uint8_t inquiry[cmd::kInquiryLength] = {};
    if (cmd::inquiry(*entry.link, 0, inquiry) != 0) return {};
    entry.firmwareRevision = firmwareRevisionOf(inquiry);
    entry.downloadMethod = downloadMethodFor(entry.firmwareRevision);
  }
  return list;
}

}  // namespace zrb2x
