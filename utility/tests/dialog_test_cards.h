// The card path the dialogs' tests run on, natively and under Wine alike:
// socket 1 empty, socket 2 a 64 KiB SRAM card, socket 3 two regions
// (512 KiB and 1 MiB), all read in by the status poll as the main window does.
#pragma once

#include <gtest/gtest.h>

#include "binding/card_manager_binding.h"
#include "card_access.h"
#include "cards/in_process_card_stack.h"
#include "recording_messages.h"
#include "socket_poll.h"

namespace tessel::test {

class DialogTestCards : public ::testing::Test {
 protected:
  DialogTestCards() {
    stack.addEmptyReader();
    zrb2x::virt::InsertOptions small;
    small.size = 0x10000;
    stack.addReader(zrb2x::virt::CardTemplate::Sram, small);
    stack.addReader(zrb2x::virt::CardTemplate::TwoRegion);
  }
  void SetUp() override {
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.assign(access.socketCount(), SocketInfo{});
    pollSockets(access);
    ASSERT_EQ(access.socketCount(), 3);
    messages.shown.clear();
  }
  void TearDown() override { access.unbindCardService(); }

  zrb::test::InProcessCardStack stack;
  cardservice::CardManagerBinding binding{stack};
  RecordingMessages messages;
  CardAccess access{binding, messages};
};

}  // namespace tessel::test
