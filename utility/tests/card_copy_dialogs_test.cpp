#include "card_copy_dialogs.h"

#include <gtest/gtest.h>

#include "card_messages.h"
#include "dialog_test_cards.h"
#include "result_codes.h"

namespace tessel {
namespace {

// Socket index 1 holds the 64 KiB card, index 2 the card with regions of
// 512 KiB and 1 MiB.
class CardCopyDialogTest : public test::DialogTestCards {
 protected:
  void SetUp() override {
    test::DialogTestCards::SetUp();
    access.activeArea() = ActiveArea{1, 0, 0};
  }
  // A copy of the range start..end of the 64 KiB card to socket 2's region.
  void showCopy(uint8_t destRegion = 0) {
    copy.preset(1, 0, 0, 0x10000);
    copy.destRegion = destRegion;
    copy.activate();
  }
  DialogStep tryCopy(const char* start, const char* end, const char* destStart) {
    messages.shown.clear();
    copy.setStartText(start);
    copy.setEndText(end);
    copy.setDestStartText(destStart);
    return copy.okBtnClick();
  }
  std::vector<std::string> error(uint16_t code) { return {cardErrorMessage(code)}; }

  CardCopyDialogModel copy{access, CardCopyKind::Copy};
};

TEST_F(CardCopyDialogTest, PresetAndActivationShowTheSourceAndTheOtherCard) {
  showCopy();
  EXPECT_EQ(copy.destSocket, 2);
  EXPECT_EQ(copy.labels().socketName, "Socket2");
  EXPECT_EQ(copy.labels().attributeName, "Common");
  EXPECT_EQ(copy.labels().regionName, "Region1");
  EXPECT_EQ(copy.startText(), "00000000");
  EXPECT_EQ(copy.endText(), "0000FFFF");
  EXPECT_EQ(copy.destSocketBox().items, (std::vector<std::string>{"Socket1", "Socket2", "Socket3"}));
  EXPECT_EQ(copy.destSocketBox().selected, 2);
  EXPECT_EQ(copy.destAttributeBox().items, (std::vector<std::string>{"Common", "Attribute"}));
  EXPECT_EQ(copy.destAttributeBox().selected, 0);
  EXPECT_EQ(copy.destAreaBox().items, (std::vector<std::string>{"Region1", "Region2"}));
  EXPECT_EQ(copy.destAreaBox().selected, 0);
  EXPECT_EQ(copy.destStartText(), "00000000");
  EXPECT_EQ(copy.destEndInfo(), "0007FFFF");

  copy.destRegionChange(1);
  EXPECT_EQ(copy.destEndInfo(), "000FFFFF");
}

TEST_F(CardCopyDialogTest, WithOnlyOneUsableSocketTheDestinationIsTheSourceItself) {
  access.sockets().state[2] = 0x80;
  copy.preset(1, 0, 0, 0x10000);
  EXPECT_EQ(copy.destSocket, 1);
}

TEST_F(CardCopyDialogTest, ASocketWithoutAUsableCardSnapsBackButWriteProtectionDoesNot) {
  showCopy();
  copy.destRegionChange(1);
  copy.setDestStartText("1234");
  copy.destSocketChange(0);  // empty
  EXPECT_EQ(copy.destSocketBox().selected, 2);
  EXPECT_EQ(copy.destSocket, 2);
  EXPECT_EQ(copy.destAreaBox().selected, 1);
  EXPECT_EQ(copy.destStartText(), "1234");

  access.sockets().state[1] |= 0x01;  // write-protected: still a card to compare with
  copy.destSocketChange(1);
  EXPECT_EQ(copy.destSocket, 1);
  EXPECT_EQ(copy.destAreaBox().items, std::vector<std::string>{"Region1"});
  EXPECT_EQ(copy.destAttributeBox().selected, 0);
  EXPECT_EQ(copy.destStartText(), "00000000");
}

TEST_F(CardCopyDialogTest, TheDestinationBlockMustFitTheDestinationArea) {
  access.activeArea() = ActiveArea{2, 1, 0};  // source: socket 2's region 2, 1 MiB
  copy.preset(2, 0, 1, 0x100000);
  copy.destSocket = 1;  // the 64 KiB card
  copy.activate();
  EXPECT_EQ(tryCopy("0", "FF", "FF00"), DialogStep::CloseOk);
  EXPECT_EQ(tryCopy("0", "FF", "FF01"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, error(R_BAD_NUMBER));
  EXPECT_EQ(tryCopy("0", "FF", "10001"), DialogStep::StayOpen);
  EXPECT_EQ(tryCopy("0", "FFFFF", "0"), DialogStep::StayOpen);  // the whole 1 MiB into 64 KiB
  EXPECT_EQ(messages.shown, error(R_BAD_NUMBER));
}

// The destination's last address used to be checked against the source
// area, which refused copies of a small card to the end of a larger one.
TEST_F(CardCopyDialogTest, ACopyToTheEndOfALargerCardIsAccepted) {
  showCopy(1);  // to the 1 MiB region
  EXPECT_EQ(tryCopy("0", "FFFF", "F0000"), DialogStep::CloseOk);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(copy.destSocket, 2);
  EXPECT_EQ(copy.destSpace, 0);
  EXPECT_EQ(copy.destRegion, 1);
  EXPECT_EQ(copy.destStart, 0xF0000u);
}

TEST_F(CardCopyDialogTest, SourceAddressesAreCheckedFirstAgainstTheActiveArea) {
  showCopy();
  EXPECT_EQ(tryCopy("100", "FF", "0"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, error(R_BAD_NUMBER));
  EXPECT_EQ(tryCopy("0", "10000", "0"), DialogStep::StayOpen);
  EXPECT_EQ(tryCopy("0", "FF", "XYZ"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, error(R_BAD_NUMBER));
  EXPECT_EQ(tryCopy("0", "FFFFFFFF", "0"), DialogStep::StayOpen);
}

TEST_F(CardCopyDialogTest, OverlappingCopiesWithinOneAreaAreRefusedButComparesAreNot) {
  copy.preset(1, 0, 0, 0x10000);
  copy.destSocket = 1;
  copy.activate();
  EXPECT_EQ(tryCopy("0", "FF", "80"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, error(R_BAD_NUMBER));
  EXPECT_EQ(tryCopy("80", "17F", "0"), DialogStep::StayOpen);
  EXPECT_EQ(tryCopy("0", "FF", "0"), DialogStep::StayOpen);
  EXPECT_EQ(tryCopy("0", "FF", "100"), DialogStep::CloseOk);  // adjacent, not overlapping

  CardCopyDialogModel compare(access, CardCopyKind::Compare);
  compare.preset(1, 0, 0, 0x10000);
  compare.destSocket = 1;
  compare.activate();
  compare.setEndText("FF");
  compare.setDestStartText("80");
  EXPECT_EQ(compare.okBtnClick(), DialogStep::CloseOk);
}

TEST_F(CardCopyDialogTest, DifferentRegionsOrSpacesOfOneCardDoNotOverlap) {
  access.activeArea() = ActiveArea{2, 0, 0};
  copy.preset(2, 0, 0, 0x80000);
  copy.activate();
  copy.destSocketChange(2);
  copy.destRegionChange(1);
  EXPECT_EQ(tryCopy("0", "FFFF", "0"), DialogStep::CloseOk);
}

// A destination card without common memory offers no region: with "Common"
// chosen there is no area to copy to, which shows "no device" rather than
// an address error.
TEST_F(CardCopyDialogTest, ADestinationWithoutCommonMemoryShowsNoDevice) {
  SocketInfo& card = access.sockets().info[2];
  card.regionCount = 0;
  card.areaSize[0] = card.areaSize[1] = 0;
  showCopy();
  EXPECT_TRUE(copy.destAreaBox().items.empty());
  EXPECT_EQ(copy.destEndInfo(), "");
  EXPECT_EQ(tryCopy("0", "FF", "0"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, error(R_NO_DEVICE));

  card.areaSize[kAttributeArea] = 0x2000;
  copy.destSpaceChange(1);
  EXPECT_EQ(copy.destEndInfo(), "00001FFF");
  EXPECT_EQ(tryCopy("0", "FF", "0"), DialogStep::CloseOk);
  EXPECT_EQ(copy.destSpace, 1);
  EXPECT_EQ(copy.destRegion, 0);
}

}  // namespace
}  // namespace tessel
