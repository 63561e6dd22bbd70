#include "device_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "card_messages.h"
#include "device_tables.h"
#include "recording_messages.h"
#include "result_codes.h"

namespace tessel {
namespace {

TEST(CardSize, UnitsAndHexadecimal) {
  EXPECT_EQ(parseCardSize("2M"), 0x200000u);
  EXPECT_EQ(parseCardSize("2mb"), 0x200000u);
  EXPECT_EQ(parseCardSize("512k"), 0x80000u);
  EXPECT_EQ(parseCardSize("80000"), 0x80000u);
  EXPECT_EQ(parseCardSize("64M"), kMaxCardSize);
  EXPECT_EQ(parseCardSize("4000000"), kMaxCardSize);
  EXPECT_EQ(parseCardSize("200"), 512u);
  EXPECT_EQ(parseCardSize("0000200"), 512u);
}

// Sizes the accessor would refuse, and entries whose multiplication would
// wrap round 32 bits into a plausible size, are refused here.
TEST(CardSize, RefusedEntries) {
  for (const char* text : {"FF", "100", "1FF", "4000001", "65M", "100M", "4096M", "4097M", "4194305K",
                           "65537K", "1.5M", "M", "", "-1M", "-200", "XYZ", "FFFFFFFF", "123456789"})
    EXPECT_FALSE(parseCardSize(text)) << text;
}

TEST(ChipMenu, ChipsChooseTheirListEntries) {
  auto find = [](std::string_view maker, std::string_view chip) -> int {
    for (const ChipMaker& m : chipMenu())
      if (m.maker == maker)
        for (const ChipItem& item : m.chips)
          if (item.chip == chip) return static_cast<int>(item.code);
    return -1;
  };
  EXPECT_EQ(deviceTypeName(static_cast<uint16_t>(find("SHARP", "LH28F160SU"))), "28F008_5V~");
  EXPECT_EQ(deviceTypeName(static_cast<uint16_t>(find("AMD", "Am29F016"))), "29F040~");
  EXPECT_EQ(deviceTypeName(static_cast<uint16_t>(find("富士通", "MBM28F010"))), "28F010");
  EXPECT_EQ(deviceTypeName(static_cast<uint16_t>(find("キャタリスト", "CAT28F020"))), "28F020");
  EXPECT_EQ(chipMenu().size(), 7u);
  // Every chip leads to a flash type both lists offer; none to the types
  // that are chosen in the list itself.
  for (const ChipMaker& maker : chipMenu())
    for (const ChipItem& item : maker.chips) {
      EXPECT_LT(deviceTypeIndex(item.code), EnvSetDialogModel::kListLength) << item.chip;
      for (uint16_t code : {0, 1, 9, 10, 7}) EXPECT_NE(item.code, code) << item.chip;
    }
}

TEST(DevDialog, ActivationShowsTheAreaTypeAndSize) {
  DevDialogModel dialog;
  dialog.socket = 2;
  dialog.region = 1;
  dialog.code = 69;
  dialog.size = 0x100000;
  dialog.activate();
  EXPECT_EQ(dialog.socketName(), "Socket3");
  EXPECT_EQ(dialog.attributeName(), "Common");
  EXPECT_EQ(dialog.regionName(), "Region2");
  EXPECT_EQ(dialog.sizeText(), "0100000");
  EXPECT_EQ(dialog.devices().box().count(), 13);
  EXPECT_EQ(dialog.devices().box().items.back(), "UNKNOWN");
  EXPECT_EQ(dialog.devices().box().items[static_cast<unsigned>(dialog.devices().box().selected)], "29F040~");

  dialog.space = 1;
  dialog.activate();
  EXPECT_EQ(dialog.attributeName(), "Attribute");
  EXPECT_EQ(dialog.regionName(), "Region1");
}

TEST(DevDialog, OkTakesSizeThenTypeAndRefusesBadSizesOnce) {
  test::RecordingMessages messages;
  DevDialogModel dialog;
  dialog.code = 0;
  dialog.size = 0x80000;
  dialog.activate();
  dialog.devices().chooseCode(5);
  dialog.setSizeText("1.5M");
  EXPECT_EQ(dialog.okBtnClick(messages), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(dialog.code, 0);
  EXPECT_EQ(dialog.size, 0x80000u);

  dialog.setSizeText("2M");
  EXPECT_EQ(dialog.okBtnClick(messages), DialogStep::CloseOk);
  EXPECT_EQ(dialog.code, 5);
  EXPECT_EQ(dialog.size, 0x200000u);
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(DevDialog, ATypeTheListLacksIsKept) {
  test::RecordingMessages messages;
  DevDialogModel dialog;
  dialog.code = kTypeAta;
  dialog.size = 0x4000000;
  dialog.activate();
  EXPECT_EQ(dialog.devices().box().selected, -1);
  EXPECT_EQ(dialog.okBtnClick(messages), DialogStep::CloseOk);
  EXPECT_EQ(dialog.code, kTypeAta);
}

class EnvSetDialogTest : public ::testing::Test {
 protected:
  EnvSetDialogTest() {
    table.count = 3;
    table.settings[1] = SocketSettings{69, 0x100000, 1, 1, 0};
    table.settings[2] = SocketSettings{kTypeUnknown, 0x80000, 0, 0, 1};
  }
  SocketTable table;
  test::RecordingMessages messages;
};

TEST_F(EnvSetDialogTest, SocketChangeShowsThatSocketsStoredSettings) {
  EnvSetDialogModel dialog(table, 1);
  dialog.activate();
  EXPECT_EQ(dialog.socketBox().items, (std::vector<std::string>{"Socket1", "Socket2", "Socket3"}));
  EXPECT_EQ(dialog.socketBox().selected, 1);
  EXPECT_EQ(dialog.devices().box().count(), 12);
  EXPECT_EQ(std::count(dialog.devices().box().items.begin(), dialog.devices().box().items.end(), "UNKNOWN"),
            0);
  EXPECT_EQ(dialog.devices().chosenCode(0xFFFF), 69);
  EXPECT_EQ(dialog.sizeText(), "0100000");

  dialog.socketBoxChange(2);
  EXPECT_EQ(dialog.socket(), 2);
  EXPECT_EQ(dialog.devices().box().selected, -1);  // UNKNOWN is not offered
  EXPECT_EQ(dialog.sizeText(), "0080000");
  dialog.socketBoxChange(0);
  EXPECT_EQ(dialog.devices().chosenCode(0xFFFF), 0);
  EXPECT_EQ(dialog.sizeText(), "4000000");
}

TEST_F(EnvSetDialogTest, OkEditsTypeAndSizeAndCarriesTheRestOver) {
  EnvSetDialogModel dialog(table, 1);
  dialog.activate();
  dialog.devices().chooseCode(10);
  dialog.setSizeText("32M");
  ASSERT_EQ(dialog.okBtnClick(messages), DialogStep::CloseOk);
  const SocketSettings& result = dialog.working();
  EXPECT_EQ(result.defaultType, 10);
  EXPECT_EQ(result.defaultSize, 0x2000000u);
  EXPECT_EQ(result.useDefault, 1u);
  EXPECT_EQ(result.optionA, 1u);
  EXPECT_EQ(result.optionB, 0u);
  EXPECT_EQ(table.settings[1].defaultType, 69);  // the stored record is the caller's to change
}

TEST_F(EnvSetDialogTest, UnlistedTypeIsKeptAndABadSizeStaysOpen) {
  EnvSetDialogModel dialog(table, 2);
  dialog.activate();
  dialog.setSizeText("FF");
  EXPECT_EQ(dialog.okBtnClick(messages), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  dialog.setSizeText("1M");
  EXPECT_EQ(dialog.okBtnClick(messages), DialogStep::CloseOk);
  EXPECT_EQ(dialog.working().defaultType, kTypeUnknown);
  EXPECT_EQ(dialog.working().defaultSize, 0x100000u);
}

}  // namespace
}  // namespace tessel
