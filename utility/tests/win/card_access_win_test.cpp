// The card access layer and the status poll over slothub.dll and
// veskci2xs.dll as the program binds them by name, on the Windows 98 path
// where the device library runs in-process over the virtual readers.
#include <windows.h>

#include <gtest/gtest.h>

#include "card_access.h"
#include "card_manager_binding.h"
#include "recording_messages.h"
#include "socket_poll.h"
#include "win/module_dir.h"
#include "win/slothub_session.h"
#include "win32_module_loader.h"

namespace tessel {
namespace {

using zrb2x::virt::CardTemplate;

class DllPath : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.resize(access.socketCount());
  }
  void TearDown() override {
    access.unbindCardService();
    SetDllDirectoryA(nullptr);
  }

  zrb::test::VirtualReaders readers{CardTemplate::TwoRegion, CardTemplate::Sram};
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding binding{loader};
  test::RecordingMessages messages;
  CardAccess access{binding, messages};
};

TEST_F(DllPath, BindsAndReadsTheRegionsOfAMultiRegionCard) {
  EXPECT_EQ(access.socketCount(), 2);
  EXPECT_EQ(access.countRegions(0), 2);
  SocketInfo info;
  access.readSocketInfo(0, info);
  EXPECT_EQ(info.regionCount, 2);
  EXPECT_EQ(info.deviceType[1], 69);
  EXPECT_EQ(uint32_t{info.areaSize[0]}, 0x80000u);
  EXPECT_EQ(uint32_t{info.areaSize[1]}, 0x100000u);
  EXPECT_EQ(uint32_t{info.areaSize[kAttributeArea]}, 0x2000u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DllPath, OnePollSeesAPulledCard) {
  PollOutcome outcome = pollSockets(access);
  EXPECT_TRUE(outcome.openEnabled);
  EXPECT_EQ(access.sockets().info[1].regionCount, 1);
  ASSERT_EQ(zrb2x::virt::removeCard(readers.reader(1)), "");
  outcome = pollSockets(access);
  ASSERT_EQ(outcome.changes.size(), 1u);
  EXPECT_EQ(outcome.changes[0].socket, 1);
  EXPECT_EQ(lampFor(outcome.changes[0].status), Lamp::White);
  EXPECT_TRUE(outcome.openEnabled);
}

}  // namespace
}  // namespace tessel
