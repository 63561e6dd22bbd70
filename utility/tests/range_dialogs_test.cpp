#include "range_dialogs.h"

#include <gtest/gtest.h>

#include <vector>

#include "card_messages.h"
#include "dialog_test_cards.h"
#include "result_codes.h"

namespace tessel {
namespace {

std::vector<uint8_t> bytesOf(std::string_view text) {
  DataPattern pattern = parseDataPattern(text);
  return {pattern.view().begin(), pattern.view().end()};
}

TEST(DataPattern, HexPairsWithAnySeparatorAndLoneDigits) {
  using Bytes = std::vector<uint8_t>;
  EXPECT_EQ(bytesOf("12 34"), (Bytes{0x12, 0x34}));
  EXPECT_EQ(bytesOf("1234"), (Bytes{0x12, 0x34}));
  EXPECT_EQ(bytesOf("12,34"), (Bytes{0x12, 0x34}));
  EXPECT_EQ(bytesOf("1 2"), (Bytes{0x01, 0x02}));
  EXPECT_EQ(bytesOf("123"), (Bytes{0x12, 0x03}));
  EXPECT_EQ(bytesOf("A"), Bytes{0x0A});
  EXPECT_EQ(bytesOf("ab-Cd"), (Bytes{0xAB, 0xCD}));
  EXPECT_EQ(bytesOf("zz"), Bytes{});
  EXPECT_EQ(bytesOf(""), Bytes{});
}

TEST(DataPattern, QuotedTextIsTakenByteForByte) {
  using Bytes = std::vector<uint8_t>;
  EXPECT_EQ(bytesOf("\"AB\""), (Bytes{0x41, 0x42}));
  EXPECT_EQ(bytesOf("\"A"), Bytes{0x41});                   // no closing quote: to the end
  EXPECT_EQ(bytesOf("\"1 2\"34"), (Bytes{'1', ' ', '2'}));  // nothing after the closing quote
  EXPECT_EQ(bytesOf("\"\""), Bytes{});
  EXPECT_EQ(bytesOf("\"\x82\xa0\""), (Bytes{0x82, 0xA0}));  // code-page bytes pass unchanged
}

TEST(DataPattern, LongPatternsKeepTheirFirstSixteenBytes) {
  DataPattern hex = parseDataPattern("000102030405060708090A0B0C0D0E0F1011");
  ASSERT_EQ(hex.length, 16);
  EXPECT_EQ(hex.bytes[15], 0x0F);
  DataPattern text = parseDataPattern("\"abcdefghijklmnopqrstuvwxyz\"");
  ASSERT_EQ(text.length, 16);
  EXPECT_EQ(text.bytes[15], 'p');
}

class RangeDialogTest : public test::DialogTestCards {
 protected:
  void SetUp() override {
    test::DialogTestCards::SetUp();
    access.activeArea() = ActiveArea{1, 0, 0};  // the 64 KiB SRAM card
  }
  std::vector<std::string> errors(std::initializer_list<uint16_t> codes) {
    std::vector<std::string> texts;
    for (uint16_t code : codes) texts.push_back(cardErrorMessage(code));
    return texts;
  }
};

TEST_F(RangeDialogTest, SearchOkNeedsAPatternAndShowsTheOptionsOnActivation) {
  SearchDialogModel search(access);
  search.end = 0xFFFF;
  search.options = SearchDialogModel::kBackward;
  search.activate();
  EXPECT_EQ(search.startText(), "00000000");
  EXPECT_EQ(search.endText(), "0000FFFF");
  EXPECT_EQ(search.direction(), 1);
  EXPECT_EQ(search.condition(), 0);
  EXPECT_FALSE(search.okEnabled());
  EXPECT_EQ(search.focus(), DialogFocus::PatternEdit);
  search.setPatternText("41");
  EXPECT_TRUE(search.okEnabled());
  EXPECT_EQ(search.focus(), DialogFocus::OkButton);

  search.chooseDirection(0);
  search.chooseCondition(1);
  ASSERT_EQ(search.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(search.options, SearchDialogModel::kMismatch);
  EXPECT_EQ(search.pattern.length, 1);
  EXPECT_EQ(search.pattern.bytes[0], 0x41);
}

TEST_F(RangeDialogTest, SearchRefusesSilentlyWhatItDoesNotTake) {
  SearchDialogModel search(access);
  search.end = 0xFFFF;
  search.activate();
  search.setPatternText("zz");
  EXPECT_EQ(search.okBtnClick(), DialogStep::StayOpen);
  EXPECT_EQ(search.pattern.length, 0);

  search.setPatternText("00");
  for (const char* end : {"FFFFFFFF", "10000"}) {
    search.setEndText(end);
    EXPECT_EQ(search.okBtnClick(), DialogStep::StayOpen) << end;
    EXPECT_EQ(search.end, 0xFFFFu) << end;
  }
  search.setStartText("FFFF");  // not below the preset end
  search.setEndText("FFFF");
  EXPECT_EQ(search.okBtnClick(), DialogStep::StayOpen);
  search.setStartText("200");  // an end before the start
  search.setEndText("1FF");
  EXPECT_EQ(search.okBtnClick(), DialogStep::StayOpen);
  EXPECT_TRUE(messages.shown.empty());

  search.setStartText("100");
  search.setEndText("7FFF");
  ASSERT_EQ(search.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(search.start, 0x100u);
  EXPECT_EQ(search.end, 0x7FFFu);
}

TEST_F(RangeDialogTest, SearchWithABadStartShowsError261AndKeepsTheOldPresetEnd) {
  SearchDialogModel search(access);
  search.end = 0xFFFF;
  search.activate();
  search.setPatternText("00");
  search.setStartText("XYZ");
  EXPECT_EQ(search.okBtnClick(), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  EXPECT_EQ(search.end, 0xFFFFu);
}

TEST_F(RangeDialogTest, FillChecksPatternThenRange) {
  FillDialogModel fill(access);
  fill.end = 0xFFFF;
  fill.activate();
  fill.setPatternText("zz");
  EXPECT_EQ(fill.okBtnClick(), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_PARAMETER}));

  messages.shown.clear();
  fill.setPatternText("A");
  fill.setStartText("10");
  fill.setEndText("10000");  // one past the 64 KiB area
  EXPECT_EQ(fill.okBtnClick(), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  EXPECT_EQ(fill.start, 0x10u);  // kept for the next showing
  EXPECT_EQ(fill.end, 0x10000u);

  messages.shown.clear();
  fill.setEndText("FFFF");
  ASSERT_EQ(fill.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(fill.pattern.length, 1);
  EXPECT_EQ(fill.pattern.bytes[0], 0x0A);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RangeDialogTest, MoveKeepsTheWholeDestinationBlockInsideTheArea) {
  MoveDialogModel move(access);
  move.socket = 1;
  move.end = 0xFFFF;
  move.activate();
  EXPECT_EQ(move.destinationText(), "00000000");
  move.setStartText("0");
  move.setEndText("FF");

  move.setDestinationText("FF01");  // its last byte would be 0x10000
  EXPECT_EQ(move.okBtnClick(), DialogStep::StayOpen);
  move.setDestinationText("10000");
  EXPECT_EQ(move.okBtnClick(), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER, R_BAD_NUMBER}));

  move.setDestinationText("FF00");
  ASSERT_EQ(move.okBtnClick(), DialogStep::CloseOk);
  EXPECT_EQ(move.destination, 0xFF00u);
}

class EraseDialogTest : public RangeDialogTest {
 protected:
  void SetUp() override {
    RangeDialogTest::SetUp();
    SocketInfo& card = access.sockets().info[1];
    card.areaSize[0] = 0x40000;
    card.eraseUnit[0] = 0x10000;
    card.areaSize[kAttributeArea] = 0x2000;
    card.eraseUnit[kAttributeArea] = 0x1000;
    erase.socket = 1;
    erase.end = 0x3FFFF;
    erase.activate();
  }
  DialogStep tryRange(const char* start, const char* end) {
    messages.shown.clear();
    erase.setStartText(start);
    erase.setEndText(end);
    return erase.okBtnClick();
  }

  EraseDialogModel erase{access};
};

TEST_F(EraseDialogTest, CommonMemoryTakesWholeBlocksOnly) {
  EXPECT_EQ(erase.labels().socketName, "Socket2");
  EXPECT_EQ(erase.labels().attributeName, "Common");
  EXPECT_EQ(erase.labels().regionName, "Region1");
  EXPECT_EQ(tryRange("8000", "1FFFF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  EXPECT_EQ(tryRange("10000", "17FFF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  EXPECT_EQ(tryRange("10000", "40000"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));

  erase.setOptionChecked(true);
  EXPECT_EQ(tryRange("10000", "1FFFF"), DialogStep::CloseOk);
  EXPECT_TRUE(erase.eraseCheck);
  EXPECT_EQ(erase.start, 0x10000u);
  EXPECT_EQ(erase.end, 0x1FFFFu);
}

// Attribute memory used to be taken without any check, so that start 0 and
// end FFFFFFFF gave a length of 0: an erase of nothing reported as success.
TEST_F(EraseDialogTest, AttributeMemoryIsCheckedAsCommonMemoryIs) {
  access.activeArea() = ActiveArea{1, 0, 1};
  erase.space = 1;
  erase.activate();
  EXPECT_EQ(erase.labels().attributeName, "Attribute");
  EXPECT_EQ(tryRange("0", "FFFFFFFF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  EXPECT_EQ(tryRange("1000", "2FFF"), DialogStep::StayOpen);  // past the 8 KiB area
  EXPECT_EQ(tryRange("0", "17FF"), DialogStep::StayOpen);     // half a block
  EXPECT_EQ(tryRange("1000", "1FFF"), DialogStep::CloseOk);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EraseDialogTest, AnAreaWithoutEraseBlocksIsRefusedNotDividedByZero) {
  access.sockets().info[1].eraseUnit[0] = 0;
  EXPECT_EQ(tryRange("0", "FFFF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER}));
  erase.region = 7;  // no such region
  access.sockets().info[1].eraseUnit[0] = 0x10000;
  EXPECT_EQ(tryRange("0", "FFFF"), DialogStep::StayOpen);
}

TEST_F(RangeDialogTest, EraseCheckAndPrintConvertBothAddressesThenCheckTheRange) {
  PrintDialogModel print(access);
  print.socket = 2;
  print.space = 1;
  print.region = 1;
  print.start = 0xABC0;
  print.end = 0xACBF;
  print.activate();
  EXPECT_EQ(print.labels().socketName, "Socket3");
  EXPECT_EQ(print.labels().regionName, "Region1");  // attribute memory has one region
  EXPECT_EQ(print.startText(), "0000ABC0");
  EXPECT_EQ(print.endText(), "0000ACBF");
  ASSERT_EQ(print.okBtnClick(), DialogStep::CloseOk);

  struct Case {
    const char* start;
    const char* end;
  };
  for (Case c : {Case{"100", "FF"}, Case{"0", "10000"}, Case{"G", "0"}, Case{"0", ""}}) {
    messages.shown.clear();
    print.setStartText(c.start);
    print.setEndText(c.end);
    EXPECT_EQ(print.okBtnClick(), DialogStep::StayOpen) << c.start << ".." << c.end;
    EXPECT_EQ(messages.shown, errors({R_BAD_NUMBER})) << c.start << ".." << c.end;
  }
}

}  // namespace
}  // namespace tessel
