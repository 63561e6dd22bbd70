// On NT-family systems the accessor reaches the reader-writers only through
// the access service; without it the module does not load, even with virtual
// reader-writers configured, and the card manager has no socket.
#include <gtest/gtest.h>

#include "win/slothub_session.h"

namespace accessor::test {
namespace {

using namespace cardservice;
using zrb::test::loadAccessorDirectly;
using zrb::test::SlotHub;
using zrb::test::VirtualReaders;

TEST(NtAccessor, WithoutTheServiceTheModuleDoesNotLoad) {
  VirtualReaders one{zrb2x::virt::CardTemplate::Sram};
  EXPECT_EQ(loadAccessorDirectly(), nullptr);
  SlotHub hub;
  ASSERT_TRUE(hub.loaded());
  EXPECT_EQ(hub.veskcm(FN_OPEN, 0), CS_DEVICE_FAILURE);
  ManagerInfo info{};
  ASSERT_EQ(hub.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  const uint32_t total = info.socketCount;
  EXPECT_EQ(total, 0u);
}

}  // namespace
}  // namespace accessor::test
