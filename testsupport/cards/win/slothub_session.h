// The card manager as a program loads it under Wine: slothub.dll from the
// deliverables, which finds veskci2xs.dll there, with virtual reader-writers
// in a scratch folder named by ZRB2X_VIRTUAL. Shared by the accessor's and
// the service's Windows tests.
#pragma once

#include <windows.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "card_service.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"
#include "win32_owners.h"

namespace zrb::test {

class VirtualReaders {
 public:
  // One reader per template, each with its card inserted, in socket order.
  explicit VirtualReaders(std::initializer_list<zrb2x::virt::CardTemplate> cards);
  ~VirtualReaders();
  std::filesystem::path reader(size_t socket) const;

 private:
  zrb::test::ScratchDir scratch_;
};

class SlotHub {
 public:
  SlotHub();   // loads slothub.dll; check loaded()
  ~SlotHub();  // closes the manager (code 130) and frees it
  SlotHub(const SlotHub&) = delete;
  SlotHub& operator=(const SlotHub&) = delete;

  bool loaded() const { return veskcm_ && service_; }
  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space = 0, uint32_t offset = 0, uint32_t length = 0,
                 void* data = nullptr) {
    return veskcm_(code, socket, space, offset, length, data);
  }
  int32_t service(uint32_t code, uint8_t socket, uint8_t space, uint32_t offset, void* buffer,
                  uint32_t bufferLength) {
    cardservice::SlotRequest request{socket, space, offset};
    return service_(code, &request, sizeof request, buffer, bufferLength);
  }
  cardservice::ManagerInfo info();  // FN_INFO, expected to succeed

 private:
  zrb::win::UniqueModule module_;
  cardservice::CardEntry veskcm_ = nullptr;
  cardservice::LegacyEntry service_ = nullptr;
};

// The accessor module loaded on its own: null when its attach refused.
HMODULE loadAccessorDirectly();

}  // namespace zrb::test
