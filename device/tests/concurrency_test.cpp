// Two users of one virtual reader at once, each with its own device library
// (its own lock handle), as two processes would be.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "commands.h"
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

// A device that keeps the first command inside its transport until a second
// command arrives there too (or a while has passed), and notes whether the
// device's CDB buffer changed under the first.
class PausingLink : public DeviceLink {
 public:
  uint8_t* cdbBuffer() override { return cdb_; }
  uint32_t execute(Direction, uint32_t cdbLength, void*, uint32_t) override {
    const std::vector<uint8_t> sent(cdb_, cdb_ + cdbLength);
    std::unique_lock<std::mutex> lock(m_);
    if (++arrived_ == 1) {
      cv_.notify_all();
      cv_.wait_for(lock, std::chrono::seconds(1), [&] { return arrived_ > 1; });
      if (std::vector<uint8_t>(cdb_, cdb_ + cdbLength) != sent) bufferChanged = true;
    } else {
      cv_.notify_all();
    }
    return 0;
  }
  void waitUntilFirstInside() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return arrived_ > 0; });
  }
  bool load() override { return true; }
  bool eject() override { return true; }
  bool acquire() override { return true; }
  bool release() override { return true; }
  bool queryDriveLetter(uint32_t*) override { return false; }
  bool queryDiscoveryPosition(uint32_t*) override { return false; }
  std::string identity() const override { return "pausing"; }

  bool bufferChanged = false;

 private:
  uint8_t cdb_[kCdbCapacity] = {};
  std::mutex m_;
  std::condition_variable cv_;
  int arrived_ = 0;
};

TEST(CommandBufferTest, TwoThreadsOnOneDeviceNeverSendEachOthersCommand) {
  PausingLink link;
  uint8_t first[2], second[2];
  std::thread a([&] { cmd::readCommon(link, 0x100, 2, first); });
  link.waitUntilFirstInside();
  std::thread b([&] { cmd::readCommon(link, 0x200, 2, second); });
  a.join();
  b.join();
  EXPECT_FALSE(link.bufferChanged);
}

}  // namespace
}  // namespace zrb2x::test
