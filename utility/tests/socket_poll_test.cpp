// The status poll over the real card path: lamps, a card's information read
// when it arrives, the option byte sent again when it leaves, and a socket
// whose status cannot be read left as it was.
#include <gtest/gtest.h>

#include "card_manager_binding.h"
#include "card_manager_doubles.h"
#include "in_process_card_stack.h"
#include "recording_messages.h"
#include "socket_poll.h"
#include "virtual/card_templates.h"

namespace tessel {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

TEST(Lamps, FollowPresenceAndUsability) {
  EXPECT_EQ(lampFor(0x00), Lamp::White);
  EXPECT_EQ(lampFor(0x08), Lamp::White);  // usable means nothing without a card
  EXPECT_EQ(lampFor(0x80), Lamp::Yellow);
  EXPECT_EQ(lampFor(0xB1), Lamp::Yellow);
  EXPECT_EQ(lampFor(0x88), Lamp::Lime);
  EXPECT_EQ(lampFor(0xC9), Lamp::Lime);
  EXPECT_EQ(lampColour(Lamp::White), 0xFFFFFFu);
  EXPECT_EQ(lampColour(Lamp::Lime), 0x00FF00u);
  EXPECT_EQ(lampColour(Lamp::Yellow), 0x00FFFFu);
}

class Poll : public ::testing::Test {
 protected:
  void SetUp() override {
    sram = stack.addReader(CardTemplate::Sram);
    twoRegion = stack.addReader(CardTemplate::TwoRegion);
    empty = stack.addEmptyReader();
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.resize(access.socketCount());
  }
  std::vector<test::ServiceCall> optionsSent() const { return manager.callsOf(FN_SOCKET_OPTIONS); }

  zrb::test::InProcessCardStack stack;
  std::filesystem::path sram, twoRegion, empty;
  CardManagerBinding binding{stack};
  test::RecordingManager manager{binding};
  test::RecordingMessages messages;
  CardAccess access{manager, messages};
};

TEST_F(Poll, TheFirstPollReadsEveryCardAndEnablesOpening) {
  PollOutcome outcome = pollSockets(access);
  EXPECT_TRUE(outcome.openEnabled);
  ASSERT_EQ(outcome.changes.size(), 3u);  // every socket differs from the zero it started with
  for (uint8_t socket = 0; socket < 3; ++socket) EXPECT_EQ(outcome.changes[socket].socket, socket);
  EXPECT_EQ(lampFor(outcome.changes[0].status), Lamp::Lime);
  EXPECT_EQ(lampFor(outcome.changes[1].status), Lamp::Lime);
  EXPECT_EQ(lampFor(outcome.changes[2].status), Lamp::White);

  const SocketTable& table = access.sockets();
  EXPECT_EQ(table.info[1].regionCount, 2);
  EXPECT_EQ(uint32_t{table.info[1].areaSize[1]}, 0x100000u);
  EXPECT_EQ(table.info[1].state, outcome.changes[1].status);
  EXPECT_EQ(table.state[1], outcome.changes[1].status);
  EXPECT_EQ(table.info[2].regionCount, 0);

  // Nothing changed: nothing reported, no card looked at again.
  manager.calls.clear();
  outcome = pollSockets(access);
  EXPECT_TRUE(outcome.changes.empty());
  EXPECT_TRUE(outcome.openEnabled);
  EXPECT_TRUE(manager.callsOf(FN_GET_DEVICE).empty());
  EXPECT_TRUE(optionsSent().empty());
}

TEST_F(Poll, APulledCardTurnsWhiteAndGetsItsSocketsOptionByteAgain) {
  access.sockets().settings[0].optionA = 1;
  pollSockets(access);
  ASSERT_EQ(zrb2x::virt::removeCard(sram), "");
  manager.calls.clear();
  PollOutcome outcome = pollSockets(access);
  ASSERT_EQ(outcome.changes.size(), 1u);
  EXPECT_EQ(outcome.changes[0].socket, 0);
  EXPECT_EQ(lampFor(outcome.changes[0].status), Lamp::White);
  EXPECT_FALSE(cardPresent(access.sockets().state[0]));
  EXPECT_TRUE(outcome.openEnabled);  // the two-region card is still there

  const auto options = optionsSent();
  ASSERT_EQ(options.size(), 1u);
  EXPECT_EQ(options[0].request.socket, 0);
  EXPECT_EQ(options[0].buffer, std::vector<uint8_t>{2});

  ASSERT_EQ(zrb2x::virt::removeCard(twoRegion), "");
  EXPECT_FALSE(pollSockets(access).openEnabled);
}

TEST_F(Poll, AnInsertedCardIsReadWithinOnePoll) {
  pollSockets(access);
  ASSERT_EQ(zrb2x::virt::insertCard(empty, CardTemplate::Flash28F008, {}), "");
  PollOutcome outcome = pollSockets(access);
  ASSERT_EQ(outcome.changes.size(), 1u);
  EXPECT_EQ(outcome.changes[0].socket, 2);
  EXPECT_EQ(lampFor(outcome.changes[0].status), Lamp::Lime);
  const SocketInfo& info = access.sockets().info[2];
  EXPECT_EQ(info.regionCount, 1);
  EXPECT_EQ(info.deviceType[0], 3);
  EXPECT_EQ(uint32_t{info.areaSize[0]}, 0x200000u);
}

TEST_F(Poll, ASocketWhoseStatusCannotBeReadKeepsAllItHad) {
  pollSockets(access);
  const SocketInfo before = access.sockets().info[1];
  ASSERT_EQ(zrb2x::virt::removeCard(twoRegion), "");
  manager.failStatus = {1};
  manager.calls.clear();
  PollOutcome outcome = pollSockets(access);
  EXPECT_TRUE(outcome.changes.empty());
  EXPECT_TRUE(optionsSent().empty());
  EXPECT_EQ(access.sockets().info[1].state, before.state);
  EXPECT_EQ(access.sockets().info[1].regionCount, 2);
  EXPECT_TRUE(cardUsable(access.sockets().state[1]));
  EXPECT_TRUE(messages.shown.empty());  // a failed poll is silent

  manager.failStatus.clear();
  outcome = pollSockets(access);
  ASSERT_EQ(outcome.changes.size(), 1u);
  EXPECT_EQ(outcome.changes[0].socket, 1);
}

TEST(PollWithoutUsableCards, APresentButUnusableCardIsYellowAndNotRead) {
  test::ScriptedManager manager;
  manager.info.socketCount = 2;
  int lookUps = 0;
  manager.answer = [&](uint32_t code, const SlotRequest& request, void* buffer, uint32_t) -> int32_t {
    if (code == FN_GET_DEVICE) ++lookUps;
    if (code == FN_STATUS) *static_cast<uint8_t*>(buffer) = request.socket == 0 ? 0x80 : 0x00;
    return CS_OK;
  };
  test::RecordingMessages messages;
  CardAccess access(manager, messages);
  ASSERT_TRUE(access.bindCardService());
  access.sockets().info.resize(2);
  PollOutcome outcome = pollSockets(access);
  ASSERT_EQ(outcome.changes.size(), 1u);  // socket 1 reads 0, as it started
  EXPECT_EQ(lampFor(outcome.changes[0].status), Lamp::Yellow);
  EXPECT_FALSE(outcome.openEnabled);
  EXPECT_EQ(lookUps, 0);
}

}  // namespace
}  // namespace tessel
