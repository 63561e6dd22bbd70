// Editing a card in place: what reaches the card, when, and what the window
// shows afterwards; proved on the card's image files.
#include "card_window_fixture.h"
#include "result_codes.h"

namespace tessel {
namespace {

using namespace cardservice;
using test::CardWindowTest;
using zrb2x::virt::CardTemplate;

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(0x30 + address % 0x40); }

class Editing : public CardWindowTest {
 protected:
  std::unique_ptr<CardWindowModel> window(CardTemplate card, uint32_t size, uint8_t space = 0) {
    insert(card, withImage(size, imageFile(size, pattern)));
    bind();
    auto model = open(0, space);
    model->activate();
    manager.calls.clear();
    return model;
  }
  void type(CardWindowModel& model, const char* keys, unsigned index) {
    unsigned caret = dumpPositionOf(index);
    for (const char* key = keys; *key; ++key, ++caret)
      model.keyPress(ListId::Dump, static_cast<uint8_t>(*key), caret);
  }
  uint8_t onCard(uint32_t address, bool attribute = false) { return image(0, address, 1, attribute)[0]; }
};

TEST_F(Editing, TwoDigitsWriteTheByteOnceAfterTheSecond) {
  auto model = window(CardTemplate::Sram, 0x10000);
  model->keyPress(ListId::Dump, 'a', dumpPositionOf(0x10));
  EXPECT_TRUE(model->pending());
  EXPECT_EQ(countOf(FN_WRITE), 0u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(0x10) + 1);
  EXPECT_EQ(view.replaced.back().second.dump.substr(0, 2), "A0");  // the line shows the digit at once
  model->keyPress(ListId::Dump, '5', dumpPositionOf(0x10) + 1);
  EXPECT_FALSE(model->pending());
  EXPECT_EQ(countOf(FN_WRITE), 1u);
  EXPECT_EQ(onCard(0x10), 0xA5);
  EXPECT_EQ(model->page()[0x10], 0xA5);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(0x11));
  EXPECT_EQ(view.carets.chars, charPositionOf(0x11));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Editing, AHalfTypedByteIsWrittenBeforeAClickMovesOnAndNeverLandsElsewhere) {
  auto model = window(CardTemplate::Sram, 0x10000);
  const uint8_t low = pattern(0x10) & 0x0F;
  model->keyPress(ListId::Dump, 'A', dumpPositionOf(0x10));
  model->click(ListId::Dump, dumpPositionOf(0x40));
  EXPECT_EQ(onCard(0x10), 0xA0 | low);
  EXPECT_EQ(onCard(0x40), pattern(0x40));
  EXPECT_EQ(countOf(FN_WRITE), 1u);

  // Before a move: the byte goes to its own address, not to where the page went.
  model->keyPress(ListId::Dump, 'B', dumpPositionOf(0));
  model->scroll(ScrollCode::PageDown);
  EXPECT_EQ(onCard(0), 0xB0 | (pattern(0) & 0x0F));
  EXPECT_EQ(onCard(0x100), pattern(0x100));
  // Before a command and before closing.
  model->keyPress(ListId::Dump, 'C', dumpPositionOf(1));
  ASSERT_TRUE(model->beginCommand());
  model->endCommand();
  EXPECT_EQ(onCard(0x101), 0xC0 | (pattern(0x101) & 0x0F));
  model->keyPress(ListId::Dump, 'D', dumpPositionOf(2));
  model->close();
  EXPECT_EQ(onCard(0x102), 0xD0 | (pattern(0x102) & 0x0F));
}

TEST_F(Editing, AHalfTypedByteFollowsItsOwnCardWhenTheWindowIsReTargeted) {
  insert(CardTemplate::Sram, withImage(0x10000, imageFile(0x10000, pattern)));
  insert(CardTemplate::Sram, withImage(0x10000, imageFile(0x10000, pattern)));
  bind();
  auto model = open(0);
  model->activate();
  model->keyPress(ListId::Dump, 'E', dumpPositionOf(3));
  host.openCardOk = true;
  host.onOpenCard = [&] { access.selection() = CurrentSelection{1, 0, 0, 0}; };
  model->popSet();
  EXPECT_EQ(onCard(3), 0xE0 | (pattern(3) & 0x0F));
  EXPECT_EQ(image(1, 3, 1)[0], pattern(3));
  EXPECT_EQ(model->socket(), 1);
}

TEST_F(Editing, APulledCardDropsTheHalfTypedByte) {
  auto model = window(CardTemplate::Sram, 0x10000);
  model->keyPress(ListId::Dump, 'F', dumpPositionOf(7));
  model->updateSocketLamps(0, 0);
  model->close();
  EXPECT_EQ(countOf(FN_WRITE), 0u);
  EXPECT_EQ(onCard(7), pattern(7));
}

TEST_F(Editing, AttributeMemoryTakesOnlyEvenBytes) {
  auto model = window(CardTemplate::Sram, 0x10000, 1);
  type(*model, "5A", 2);
  EXPECT_EQ(onCard(2, true), 0x5A);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(4));
  model->keyDown(ListId::Dump, Key::Right, {}, dumpPositionOf(4) + 1);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(6));
  model->keyDown(ListId::Chars, Key::Left, {}, charPositionOf(6));
  EXPECT_EQ(view.carets.chars, charPositionOf(4));
  model->click(ListId::Dump, dumpPositionOf(9));  // odd: on to the next byte
  EXPECT_EQ(view.carets.dump, dumpPositionOf(10));
  model->keyPress(ListId::Chars, 'Q', charPositionOf(10));
  EXPECT_EQ(onCard(10, true), 'Q');
  EXPECT_EQ(view.carets.chars, charPositionOf(12));
}

TEST_F(Editing, FlashTakesOnlyErasedBytesFromEitherList) {
  insert(CardTemplate::Flash29F040,
         withImage(std::nullopt, imageFile(0x10, [](uint32_t a) { return a == 0 ? 0x12 : 0xFF; })));
  bind();
  auto model = open(0);
  model->activate();
  type(*model, "A5", 0);  // the flash mark is off: nothing happens at all
  EXPECT_FALSE(model->pending());
  EXPECT_EQ(countOf(FN_WRITE), 0u);

  host.flashEdit = true;
  type(*model, "A5", 0);
  EXPECT_EQ(countOf(FN_WRITE), 0u);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"12 : ライトエラー"}));
  EXPECT_EQ(model->page()[0], 0x12);
  EXPECT_EQ(view.replaced.back().second.dump.substr(0, 2), "12");
  model->keyPress(ListId::Chars, 'x', charPositionOf(0));
  EXPECT_EQ(countOf(FN_WRITE), 0u);
  EXPECT_EQ(onCard(0), 0x12);

  type(*model, "3C", 1);  // erased: written
  model->keyPress(ListId::Chars, 'y', charPositionOf(2));
  EXPECT_EQ(onCard(1), 0x3C);
  EXPECT_EQ(onCard(2), 'y');
}

TEST_F(Editing, EepromBytesAreWrittenWithoutAnErasedCheckAndReadBack) {
  auto model = window(CardTemplate::Eeprom, 0x2000);
  type(*model, "12", 0);
  const auto& calls = manager.calls;
  ASSERT_EQ(calls.size(), 2u);  // write, read back
  EXPECT_EQ(calls[0].code, FN_WRITE);
  EXPECT_EQ(calls[1].code, FN_READ);
  EXPECT_EQ(onCard(0), 0x12);
}

TEST_F(Editing, ByteThatDoesNotReadBackShowsTheCardsByte) {
  auto model = window(CardTemplate::Sram, 0x10000);
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_WRITE ? std::optional<int32_t>(CS_OK) : std::nullopt;  // the write is lost
  };
  type(*model, "99", 0x20);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"12 : ライトエラー"}));
  EXPECT_EQ(model->page()[0x20], pattern(0x20));
  // A write the card refuses outright leaves the byte as it was, not as typed.
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_WRITE ? std::optional<int32_t>(CS_WRITE_ERROR) : std::nullopt;
  };
  type(*model, "88", 0x21);
  EXPECT_EQ(model->page()[0x21], pattern(0x21));
}

TEST_F(Editing, WriteProtectAndUnknownTypesRefuseEdits) {
  auto model = window(CardTemplate::Sram, 0x10000);
  model->updateSocketLamps(0, 0xC9);
  model->keyPress(ListId::Dump, 'A', dumpPositionOf(0));
  model->keyPress(ListId::Chars, 'A', charPositionOf(0));
  EXPECT_EQ(messages.shown, (std::vector<std::string>(2, "1A : ライトプロテクトされています")));
  EXPECT_FALSE(model->pending());
  model->updateSocketLamps(0, 0xC8);
  model->keyPress(ListId::Dump, 'G', dumpPositionOf(0));    // not a digit
  model->keyPress(ListId::Chars, 0x1F, charPositionOf(0));  // not a character
  EXPECT_EQ(countOf(FN_WRITE), 0u);
  EXPECT_FALSE(model->pending());
}

TEST_F(Editing, EditsAtThePageEndMoveOnOneLineAndStopAtTheAreasEnd) {
  auto model = window(CardTemplate::Sram, 0x10000);
  model->keyPress(ListId::Chars, 'a', charPositionOf(255));
  EXPECT_EQ(model->top(), 0x10u);
  EXPECT_EQ(view.carets.chars, charPositionOf(240));
  EXPECT_EQ(onCard(0xFF), 'a');

  model->toBottom();
  type(*model, "77", 255);
  EXPECT_EQ(onCard(0xFFFF), 0x77);
  EXPECT_EQ(model->top(), 0xFF00u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(255));
}

TEST_F(Editing, AnAreaSmallerThanAPageShowsItsBytesAndNothingBeyond) {
  insert(CardTemplate::Sram, withImage(0x10000, imageFile(0x10000, pattern)));
  bind();
  // The card reports a 0x48-byte region: the page holds 72 bytes and blanks.
  faults.fault = [](uint32_t code, const SlotRequest& request, void* buffer) -> std::optional<int32_t> {
    if (code != FN_GET_DEVICE || request.space != 0 || request.offset != 0) return std::nullopt;
    *static_cast<LegacyDeviceRecord*>(buffer) = LegacyDeviceRecord{0, 0, 0x48};
    return CS_OK;
  };
  access.readSocketInfo(0, access.sockets().info[0]);
  auto model = open(0);
  model->activate();
  ASSERT_TRUE(model->readSucceeded());
  EXPECT_EQ(model->validBytes(), 0x48u);
  EXPECT_EQ(view.scrollMaximum, 0u);
  EXPECT_EQ(view.page.dump.substr(4 * kDumpLineLength, 47), "30 31 32 33 34 35 36 37" + std::string(24, ' '));
  EXPECT_EQ(view.page.addresses.size(), 5u * 8 + 15 * 2);  // no address past the end
  manager.calls.clear();
  model->scroll(ScrollCode::LineDown);
  model->scroll(ScrollCode::PageDown);
  model->toBottom();
  EXPECT_EQ(model->top(), 0u);
  EXPECT_EQ(view.carets.chars, charPositionOf(0x47));
  model->click(ListId::Dump, dumpPositionOf(200));  // past the end: the last byte
  EXPECT_EQ(view.carets.dump, dumpPositionOf(0x47));
  model->keyPress(ListId::Chars, 'z', charPositionOf(0x47));
  EXPECT_EQ(onCard(0x47), 'z');
  EXPECT_EQ(onCard(0x48), pattern(0x48));
  EXPECT_EQ(view.carets.chars, charPositionOf(0x47));
  for (const auto& call : manager.calls) {
    if (call.code == FN_READ || call.code == FN_WRITE) {
      EXPECT_LE(call.request.offset + call.buffer.size(), 0x48u);
    }
  }
}

}  // namespace
}  // namespace tessel
