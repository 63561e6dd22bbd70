#include "slothub_session.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "win/module_dir.h"

namespace zrb::test {

namespace {

// Both the process environment and the C runtime's copy: the device library
// reads the variable through the runtime.
void setVirtualFolder(const std::string& folder) {
  SetEnvironmentVariableA("ZRB2X_VIRTUAL", folder.empty() ? nullptr : folder.c_str());
  _putenv_s("ZRB2X_VIRTUAL", folder.c_str());
}

}  // namespace

VirtualReaders::VirtualReaders(std::initializer_list<zrb2x::virt::CardTemplate> cards) {
  size_t socket = 0;
  for (auto card : cards) {
    EXPECT_EQ(zrb2x::virt::createReader(reader(socket), {}), "");
    EXPECT_EQ(zrb2x::virt::insertCard(reader(socket), card, {}), "");
    ++socket;
  }
  setVirtualFolder(scratch_.path().string());
}

VirtualReaders::~VirtualReaders() { setVirtualFolder(""); }

std::filesystem::path VirtualReaders::reader(size_t socket) const {
  return scratch_ / ("reader" + std::to_string(10 + socket));  // name order is socket order
}

SlotHub::SlotHub() {
  const std::string bin = zrb::test::deliverableDirectory();
  SetDllDirectoryA(bin.c_str());
  module_.reset(LoadLibraryA((bin + "\\slothub.dll").c_str()));
  if (!module_) return;
  veskcm_ = reinterpret_cast<cardservice::CardEntry>(
      reinterpret_cast<void*>(GetProcAddress(module_.get(), "VESKCM")));
  service_ = reinterpret_cast<cardservice::LegacyEntry>(
      reinterpret_cast<void*>(GetProcAddress(module_.get(), "SlotHubService")));
}

SlotHub::~SlotHub() {
  if (veskcm_) veskcm_(cardservice::FN_CLOSE, 0, 0, 0, 0, nullptr);
}

cardservice::ManagerInfo SlotHub::info() {
  cardservice::ManagerInfo result{};
  EXPECT_EQ(veskcm(cardservice::FN_INFO, 0, 0, 0, sizeof result, &result), cardservice::CS_OK);
  return result;
}

HMODULE loadAccessorDirectly() {
  const std::string bin = zrb::test::deliverableDirectory();
  return LoadLibraryA((bin + "\\veskci2xs.dll").c_str());
}

}  // namespace zrb::test
