#include "open_dialog.h"

#include <gtest/gtest.h>

#include "card_messages.h"
#include "dialog_test_cards.h"
#include "result_codes.h"

namespace tessel {
namespace {

using zrb2x::virt::CardTemplate;

class OpenDialogTest : public test::DialogTestCards {
 protected:
  std::string error(uint16_t code) { return cardErrorMessage(code); }

  OpenDialogModel dialog{access};
};

TEST_F(OpenDialogTest, ActivationMovesFromAnEmptySocketToTheFirstCardAndListsItsAreas) {
  dialog.activate();
  EXPECT_EQ(dialog.socketBox().items, (std::vector<std::string>{"Socket1", "Socket2", "Socket3"}));
  EXPECT_EQ(dialog.socketBox().selected, 1);
  EXPECT_EQ(access.selection().socket, 1);
  EXPECT_EQ(dialog.attributeBox().items, (std::vector<std::string>{"Common", "Attribute"}));
  EXPECT_EQ(dialog.areaBox().items, (std::vector<std::string>{"Region1"}));
  EXPECT_EQ(dialog.offsetText(), "00000000");

  dialog.socketBoxChange(2);
  EXPECT_EQ(dialog.areaBox().items, (std::vector<std::string>{"Region1", "Region2"}));
  dialog.attributeBoxChange(1);
  EXPECT_EQ(dialog.areaBox().items, (std::vector<std::string>{"Region1"}));
  dialog.attributeBoxChange(0);
  EXPECT_EQ(dialog.areaBox().count(), 2);
}

TEST_F(OpenDialogTest, ChoosingAnEmptySocketSnapsBack) {
  dialog.activate();
  dialog.setOffsetText("1234");
  dialog.socketBoxChange(0);
  EXPECT_EQ(dialog.socketBox().selected, 1);
  EXPECT_EQ(access.selection().socket, 1);
  EXPECT_EQ(dialog.offsetText(), "1234");
}

TEST_F(OpenDialogTest, AddressesAreRoundedToALineOrToTheLastWholePage) {
  struct Case {
    const char* text;
    uint32_t start;
  };
  for (Case c : {Case{"1234", 0x1230}, Case{"FFF8", 0xFF00}, Case{"FEFF", 0xFEF0}, Case{"0", 0}}) {
    dialog.activate();
    dialog.setOffsetText(c.text);
    EXPECT_EQ(dialog.okBtnClick(), DialogStep::CloseOk) << c.text;
    EXPECT_EQ(access.selection().start, c.start) << c.text;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OpenDialogTest, BadOrTooLargeAddressesKeepTheDialogOpenWithOneError) {
  for (const char* text : {"10000", "XYZ", "FFFFFFFF", ""}) {
    messages.shown.clear();
    dialog.activate();
    dialog.setOffsetText(text);
    EXPECT_EQ(dialog.okBtnClick(), DialogStep::StayOpen) << text;
    EXPECT_EQ(messages.shown, std::vector<std::string>{error(R_BAD_NUMBER)}) << text;
  }
}

TEST_F(OpenDialogTest, OkStoresSelectionAndActiveAreaOfTheChosenRegion) {
  dialog.activate();
  dialog.socketBoxChange(2);
  dialog.areaBoxChange(1);
  dialog.setOffsetText("FFFFF");  // inside the 1 MiB second region only
  ASSERT_EQ(dialog.okBtnClick(), DialogStep::CloseOk);
  const CurrentSelection& chosen = access.selection();
  EXPECT_EQ(chosen.socket, 2);
  EXPECT_EQ(chosen.region, 1);
  EXPECT_EQ(chosen.space, 0);
  EXPECT_EQ(chosen.start, 0xFFF00u);
  EXPECT_EQ(access.activeArea().socket, 2);
  EXPECT_EQ(access.activeArea().region, 1);
  EXPECT_EQ(access.activeArea().space, 0);

  dialog.activate();
  dialog.areaBoxChange(0);
  dialog.setOffsetText("FFFFF");  // the first region is only 512 KiB
  EXPECT_EQ(dialog.okBtnClick(), DialogStep::StayOpen);
}

TEST_F(OpenDialogTest, NoUsableCardShowsError263AndCloses) {
  access.sockets().state[1] = 0x80;  // present, not usable
  dialog.activate();
  EXPECT_EQ(dialog.okBtnClick(), DialogStep::CloseCancel);
  EXPECT_EQ(messages.shown, std::vector<std::string>{error(R_NO_USABLE_CARD)});
  EXPECT_EQ(access.selection().start, 0u);
}

// A card without common memory offers only attribute memory; its single
// list entry means memory space 1.
TEST_F(OpenDialogTest, CardWithoutCommonMemoryOpensAttributeMemory) {
  SocketInfo& card = access.sockets().info[1];
  card = SocketInfo{};
  card.areaSize[kAttributeArea] = 0x80;  // smaller than a page: lines only
  access.selection().space = 1;
  dialog.activate();
  EXPECT_EQ(dialog.attributeBox().items, std::vector<std::string>{"Attribute"});
  EXPECT_EQ(dialog.attributeBox().selected, 0);
  EXPECT_EQ(dialog.areaBox().items, std::vector<std::string>{"Region1"});
  dialog.setOffsetText("7F");
  ASSERT_EQ(dialog.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(access.selection().space, 1);
  EXPECT_EQ(access.selection().start, 0x70u);
}

// The remembered region and space may belong to a card that has gone; they
// are held to the lists of the card now present.
TEST_F(OpenDialogTest, RememberedAreaBeyondTheCardIsHeldToItsLists) {
  access.selection() = CurrentSelection{1, 3, 0, 0};
  dialog.activate();
  EXPECT_EQ(dialog.areaBox().selected, 0);
  dialog.setOffsetText("100");
  EXPECT_EQ(dialog.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(access.selection().region, 0);

  access.sockets().info[1].regionCount = 0;
  access.selection() = CurrentSelection{1, 2, 1, 0};
  dialog.activate();
  EXPECT_EQ(dialog.attributeBox().selected, 0);
  EXPECT_EQ(dialog.areaBox().selected, 0);
}

TEST(OpenDialogWithoutSockets, OkReportsNoCard) {
  zrb::test::InProcessCardStack stack;
  cardservice::CardManagerBinding binding(stack);
  test::RecordingMessages messages;
  CardAccess access(binding, messages);
  OpenDialogModel dialog(access);
  dialog.activate();
  EXPECT_TRUE(dialog.socketBox().items.empty());
  EXPECT_EQ(dialog.okBtnClick(), DialogStep::CloseCancel);
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_NO_USABLE_CARD)});
}

}  // namespace
}  // namespace tessel
