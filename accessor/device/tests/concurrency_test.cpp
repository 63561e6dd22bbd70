// Two users of one virtual reader at once, each with its own device library
// (its own lock handle), as two processes would be.
#include <thread>

#include "shared_reader_load.h"
#include "virtual_fixture.h"

namespace zrb2x::test {
namespace {

TEST_F(VirtualReaderTest, ConcurrentUsersKeepEachCommandWhole) {
  setUpReader(virt::CardTemplate::Sram);
  constexpr uint32_t kStart = 1000000;
  ASSERT_EQ(virt::changeReader(reader(), [](auto& s) { s.pullAfter = kStart; }), "");
  auto other = InProcessDevices::forVirtualReaders(scratch_.path());
  ASSERT_TRUE(other->OpenLibrary());
  ASSERT_EQ(other->CountDevices(), 1u);
  const uint32_t afterCount = state().pullAfter;  // counting the list building
  std::thread first([&] { hammerReader(*devices_, 0x10); });
  std::thread second([&] { hammerReader(*other, 0x80); });
  first.join();
  second.join();
  EXPECT_EQ(state().pullAfter, afterCount - 2 * kLoadRounds * kCommandsPerRound);
}

}  // namespace
}  // namespace zrb2x::test
