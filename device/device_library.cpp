#include "device_library.h"

namespace zrb2x {

DeviceLibrary::DeviceLibrary(std::vector<std::unique_ptr<DeviceLayer>> realLayers,
                             std::unique_ptr<DeviceLayer> virtualLayer)
    : realLayers_(std::move(realLayers)), virtualLayer_(std::move(virtualLayer)) {}

DeviceLibrary::~DeviceLibrary() { close(); }

bool DeviceLibrary::open() {
  if (!realOpen_ && !realLayers_.empty()) {
    size_t opened = 0;
    while (opened < realLayers_.size() && realLayers_[opened]->open()) ++opened;
    realOpen_ = opened == realLayers_.size();
    if (!realOpen_)
      while (opened) realLayers_[--opened]->close();
  }
  if (!virtualOpen_ && virtualLayer_) virtualOpen_ = virtualLayer_->open();
  return isOpen();
}

void DeviceLibrary::close() {
  entries_.clear();
  if (realOpen_)
    for (auto& layer : realLayers_) layer->close();
  if (virtualOpen_) virtualLayer_->close();
  realOpen_ = virtualOpen_ = false;
}

uint32_t DeviceLibrary::countDevices() {
  entries_.clear();
  if (!open()) return 0;
  std::vector<DeviceLayer*> layers;
  if (realOpen_)
    for (auto& layer : realLayers_) layers.push_back(layer.get());
  if (virtualOpen_) layers.push_back(virtualLayer_.get());
  entries_ = buildDeviceList(layers);
  return deviceCount();
}

DeviceEntry* DeviceLibrary::entry(uint32_t device) {
  return device < entries_.size() ? &entries_[device] : nullptr;
}

}  // namespace zrb2x
