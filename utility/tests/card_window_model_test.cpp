// A card window's reading, paging, keys, lock and removal handling, on the
// real card path.
#include <cstring>

#include "card_window_fixture.h"
#include "device_tables.h"
#include "result_codes.h"

namespace tessel {
namespace {

using namespace cardservice;
using test::CardWindowTest;
using zrb2x::virt::CardTemplate;

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(address * 7 + (address >> 8)); }

class CardWindow : public CardWindowTest {
 protected:
  // A 1 MiB SRAM card whose bytes tell their address.
  std::unique_ptr<CardWindowModel> sramWindow(uint32_t start = 0, uint32_t size = 0x100000) {
    insert(CardTemplate::Sram, withImage(size, imageFile(size, pattern)));
    bind();
    auto window = open(0, 0, 0, start);
    window->activate();
    return window;
  }
  std::string lineAt(uint32_t address) {
    uint8_t bytes[16];
    for (uint32_t i = 0; i < 16; ++i) bytes[i] = pattern(address + i);
    return dumpLine(bytes);
  }
  std::string shownLine(unsigned k) const { return view.page.dump.substr(k * kDumpLineLength, 47); }
};

TEST_F(CardWindow, FirstReadLocksDescribesTheAreaAndShowsItsPage) {
  auto window = sramWindow(0x1234);
  EXPECT_TRUE(window->readSucceeded());
  EXPECT_TRUE(window->holdsLock());
  EXPECT_EQ(access.sockets().lockHolds[0], 1);
  EXPECT_EQ(view.caption, "SOCKET1[COMMON] ");
  EXPECT_EQ(view.status, " Region:1 TYPE:SRAM ID:0000 SIZE:00100000");
  EXPECT_EQ(window->top(), 0x1230u);
  EXPECT_EQ(view.page.addresses.substr(0, 8), "00001230");
  EXPECT_EQ(shownLine(0), lineAt(0x1230));
  EXPECT_EQ(view.scrollMaximum, 0xFFF0u);
  EXPECT_EQ(view.scrollPosition, 0x123u);
  EXPECT_EQ(view.carets.dump, 0u);
  EXPECT_EQ(view.lamps.card, 0x00FF00u);
  EXPECT_TRUE(messages.shown.empty());
  const ActiveArea& active = access.activeArea();
  EXPECT_EQ(active.socket, 0);
  EXPECT_EQ(active.space, 0);
}

TEST_F(CardWindow, BeforeItsFirstReadAWindowShowsOnlyItsSocketAndRefusesCommands) {
  insert(CardTemplate::Flash29F040);
  bind();
  auto window = open(0);
  EXPECT_EQ(view.caption, "SOCKET1");
  EXPECT_EQ(countOf(FN_READ), 0u);
  EXPECT_FALSE(window->beginCommand());
}

TEST_F(CardWindow, StatusLineNamesRegionTypeChipAndSizeOfTheSecondRegion) {
  insert(CardTemplate::TwoRegion);
  bind();
  auto window = open(0, 0, 1);
  window->activate();
  EXPECT_EQ(view.status, " Region:2 TYPE:29F040~ ID:01A4 SIZE:00100000");
  auto attribute = open(0, 1);
  attribute->activate();
  EXPECT_EQ(view.caption, "SOCKET1[ATTRIBUTE] ");
  EXPECT_EQ(view.status, " Region:1 TYPE:EEPROM ID:0000 SIZE:00002000");
}

TEST_F(CardWindow, TheDeviceRecordGoesToTheRegionsOwnOffsetOnlyWhenAStoredDefaultChangedIt) {
  insert(CardTemplate::TwoRegion);
  bind();
  // Region 1 as a card nobody has set up reports it; the socket's default says 29F040.
  ASSERT_EQ(access.cardSetDevice({0, 0, 0x80000}, LegacyDeviceRecord{kTypeUnknown, 0, 0x100000}), R_SUCCESS);
  SocketSettings& settings = access.sockets().settings[0];
  settings.useDefault = 1;
  settings.defaultType = 69;
  settings.defaultSize = 0x100000;
  access.readSocketInfo(0, access.sockets().info[0]);
  manager.calls.clear();

  auto window = open(0, 0, 1);
  window->activate();
  auto sets = manager.callsOf(FN_SET_DEVICE);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(uint32_t{sets[0].request.offset}, 0x80000u);
  LegacyDeviceRecord record{};
  ASSERT_EQ(access.cardGetDevice({0, 0, 0x80000}, record), R_SUCCESS);
  EXPECT_EQ(record.type, 69);
  ASSERT_EQ(access.cardGetDevice({0, 0, 0}, record), R_SUCCESS);
  EXPECT_EQ(record.type, 0);  // region 0 untouched

  // Activations after that find the card agreeing and send nothing.
  window->activate();
  window->firstRead();
  auto region0 = open(0, 0, 0);
  region0->activate();
  EXPECT_EQ(manager.callsOf(FN_SET_DEVICE).size(), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CardWindow, LineMovesReadOneLineAndStopAtBothEnds) {
  auto window = sramWindow();
  manager.calls.clear();
  window->scroll(ScrollCode::LineUp);  // at 0: nothing, not even a read
  EXPECT_EQ(countOf(FN_READ), 0u);
  window->scroll(ScrollCode::LineDown);
  EXPECT_EQ(window->top(), 0x10u);
  ASSERT_EQ(view.lineMoves.size(), 1u);
  EXPECT_TRUE(view.lineMoves[0].first);
  EXPECT_EQ(view.lineMoves[0].second.address, "00000100");
  EXPECT_EQ(view.lineMoves[0].second.dump, lineAt(0x100));
  window->scroll(ScrollCode::LineUp);
  EXPECT_EQ(window->top(), 0u);
  EXPECT_EQ(view.lineMoves[1].second.dump, lineAt(0));

  window->scroll(ScrollCode::Bottom);
  EXPECT_EQ(window->top(), 0xFFF00u);
  EXPECT_EQ(shownLine(15), lineAt(0xFFFF0));
  manager.calls.clear();
  window->scroll(ScrollCode::LineDown);
  window->scroll(ScrollCode::PageDown);
  EXPECT_EQ(window->top(), 0xFFF00u);
  EXPECT_EQ(countOf(FN_READ), 1u);  // the page move re-reads, the line move does not
}

TEST_F(CardWindow, PageMovesAndTheThumbKeepToWholePagesInsideTheArea) {
  auto window = sramWindow(0, 0x200000);  // past the reach of 16-bit scroll positions
  window->scroll(ScrollCode::PageDown);
  EXPECT_EQ(window->top(), 0x100u);
  window->scroll(ScrollCode::ThumbPosition, 0x1FFF0);
  EXPECT_EQ(window->top(), 0x1FFF00u);
  EXPECT_EQ(view.scrollPosition, 0x1FFF0u);
  window->scroll(ScrollCode::ThumbPosition, 0x12345);
  EXPECT_EQ(window->top(), 0x123400u);
  window->scroll(ScrollCode::ThumbPosition, 0xFFFFFFFF);  // never past the last page
  EXPECT_EQ(window->top(), 0x1FFF00u);
  window->scroll(ScrollCode::PageUp);
  EXPECT_EQ(window->top(), 0x1FFE00u);
  window->scroll(ScrollCode::Top);
  EXPECT_EQ(window->top(), 0u);
  EXPECT_EQ(shownLine(0), lineAt(0));
}

TEST_F(CardWindow, AFailedReadLeavesTopPageAndScreenWhereTheyWere) {
  auto window = sramWindow(0x500);
  const int pages = view.pagesShown;
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    if (code == FN_READ) return CS_READ_ERROR;
    return std::nullopt;
  };
  window->scroll(ScrollCode::PageDown);
  window->scroll(ScrollCode::LineDown);
  EXPECT_EQ(window->top(), 0x500u);
  EXPECT_EQ(view.pagesShown, pages);
  EXPECT_TRUE(view.lineMoves.empty());
  EXPECT_EQ(window->page()[0], pattern(0x500));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0], "09 : リードエラー");
  faults.fault = nullptr;
  window->scroll(ScrollCode::PageDown);
  EXPECT_EQ(window->top(), 0x600u);
}

TEST_F(CardWindow, JumpShowsTheLastWholePageNearTheEndAndAsksAgainForAddressesOutside) {
  auto window = sramWindow();
  host.answers = {"FFF80"};
  window->jump();
  EXPECT_EQ(host.asked, (std::vector<std::string>{"00000000"}));
  EXPECT_EQ(window->top(), 0xFFF00u);
  EXPECT_EQ(view.scrollPosition, 0xFFF0u);
  EXPECT_EQ(shownLine(0), lineAt(0xFFF00));

  host.asked.clear();
  host.answers = {"100000", "zz", " 1238 "};
  window->jump();
  EXPECT_EQ(host.asked, (std::vector<std::string>{"000FFF00", "100000", "zz"}));
  EXPECT_EQ(window->top(), 0x1230u);
  EXPECT_EQ(view.carets.dump, 0u);
  EXPECT_EQ(messages.shown, (std::vector<std::string>(2, "105 : オフセット値に誤りがあります")));

  manager.calls.clear();
  host.answers = {"1230"};  // the top itself: nothing to do
  window->jump();
  host.answers = {std::nullopt};
  window->jump();
  EXPECT_EQ(countOf(FN_READ), 0u);
}

TEST_F(CardWindow, ModifiersDecideWhichKeysAct) {
  auto window = sramWindow(0x300);
  EXPECT_TRUE(window->keyDown(ListId::Dump, Key::End, {.alt = true}, 0));
  EXPECT_EQ(window->top(), 0xFFF00u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(255));
  EXPECT_TRUE(window->keyDown(ListId::Chars, Key::Home, {.alt = true}, 0));
  EXPECT_EQ(window->top(), 0u);
  EXPECT_FALSE(window->keyDown(ListId::Dump, Key::F4, {.alt = true}, 0));  // the system's Alt+F4
  EXPECT_FALSE(window->keyDown(ListId::Dump, Key::C, {.alt = true}, 0));

  EXPECT_TRUE(window->keyDown(ListId::Dump, Key::C, {.ctrl = true}, 0));
  EXPECT_TRUE(window->keyDown(ListId::Chars, Key::V, {.ctrl = true}, 0));
  EXPECT_TRUE(window->keyDown(ListId::Dump, Key::Right, {.ctrl = true}, 0));  // swallowed, no move
  EXPECT_EQ(view.carets.dump, 0u);
  EXPECT_TRUE(window->keyDown(ListId::Dump, Key::Right, {.shift = true, .ctrl = true}, 0));  // a plain Right
  EXPECT_EQ(view.carets.dump, 1u);
  EXPECT_FALSE(window->keyDown(ListId::Chars, Key::Space, {}, 0));  // typed as a character
  EXPECT_FALSE(window->keyDown(ListId::Dump, Key::C, {}, 0));

  for (Key key : {Key::F1, Key::F2, Key::F3, Key::F4, Key::F6, Key::F7, Key::F8})
    EXPECT_TRUE(window->keyDown(ListId::Dump, key, {}, 0));
  EXPECT_EQ(host.commands, (std::vector<WindowCommand>{
                               WindowCommand::Copy, WindowCommand::Paste, WindowCommand::Help,
                               WindowCommand::Search, WindowCommand::SearchDown, WindowCommand::SearchUp,
                               WindowCommand::Fill, WindowCommand::Move, WindowCommand::CompareFile}));
  window->keyDown(ListId::Dump, Key::End, {}, 0);
  window->keyDown(ListId::Chars, Key::Home, {.shift = true}, 0);
  EXPECT_EQ(host.neighbours, (std::vector<bool>{true, false}));
  host.answers = {std::nullopt};
  window->keyDown(ListId::Dump, Key::F5, {}, 0);
  EXPECT_EQ(host.asked.size(), 1u);
}

TEST_F(CardWindow, CtrlWFlushesTheCardAndAFailedFlushIsReported) {
  auto window = sramWindow();
  window->keyDown(ListId::Dump, Key::W, {.ctrl = true}, 0);
  EXPECT_EQ(countOf(FN_FLUSH), 1u);
  EXPECT_TRUE(messages.shown.empty());
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_FLUSH ? std::optional<int32_t>(CS_WRITE_ERROR) : std::nullopt;
  };
  window->keyDown(ListId::Dump, Key::W, {.ctrl = true}, 0);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"12 : ライトエラー"}));
}

TEST_F(CardWindow, CaretKeysMoveDigitByDigitAndScrollAtThePageEnds) {
  auto window = sramWindow(0x100);
  window->keyDown(ListId::Dump, Key::Right, {}, dumpPositionOf(3) + 1);  // low digit -> next byte
  EXPECT_EQ(view.carets.dump, dumpPositionOf(4));
  EXPECT_EQ(view.carets.chars, charPositionOf(4));
  window->keyDown(ListId::Dump, Key::Left, {}, dumpPositionOf(4));
  EXPECT_EQ(view.carets.dump, dumpPositionOf(3) + 1);
  window->keyDown(ListId::Dump, Key::Left, {}, 0);  // first digit of the page: one line up
  EXPECT_EQ(window->top(), 0xF0u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(15) + 1);
  window->keyDown(ListId::Dump, Key::Right, {}, dumpPositionOf(255) + 1);
  EXPECT_EQ(window->top(), 0x100u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(240));
  window->keyDown(ListId::Dump, Key::Down, {}, dumpPositionOf(250) + 1);  // column kept
  EXPECT_EQ(window->top(), 0x110u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(250) + 1);
  window->keyDown(ListId::Chars, Key::Up, {}, charPositionOf(20));
  EXPECT_EQ(view.carets.chars, charPositionOf(4));
  EXPECT_EQ(view.carets.dump, dumpPositionOf(4));
  window->keyDown(ListId::Dump, Key::Space, {}, dumpPositionOf(4) + 1);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(5));
  EXPECT_EQ(view.scrollPosition, 0x11u);

  // At the area's end the caret stays on the last byte.
  window->toBottom();
  window->keyDown(ListId::Chars, Key::Right, {}, charPositionOf(255));
  window->keyDown(ListId::Dump, Key::Down, {}, dumpPositionOf(255));
  EXPECT_EQ(window->top(), 0xFFF00u);
  EXPECT_EQ(view.carets.chars, charPositionOf(255));
}

TEST_F(CardWindow, ClicksLandOnDigitsAndTheOtherListFollows) {
  auto window = sramWindow();
  window->click(ListId::Dump, dumpPositionOf(5) + 2);  // the blank after byte 5
  EXPECT_EQ(view.carets.dump, dumpPositionOf(5) + 1);
  EXPECT_EQ(view.carets.chars, charPositionOf(5));
  window->click(ListId::Chars, kCharLineLength + 17);  // line end of line 1
  EXPECT_EQ(view.carets.chars, charPositionOf(31));
  EXPECT_EQ(view.carets.dump, dumpPositionOf(31));
}

TEST_F(CardWindow, TwoWindowsOnOneSocketShareItsLockUntilTheLastCloses) {
  auto first = sramWindow();
  test::RecordingView secondView;
  access.selection() = CurrentSelection{0, 0, 1, 0};
  CardWindowModel second(access, host, secondView);
  second.activate();
  EXPECT_EQ(access.sockets().lockHolds[0], 2);
  manager.calls.clear();
  first->close();
  first->close();  // a second close changes nothing
  EXPECT_EQ(countOf(FN_LOCK), 0u);
  EXPECT_EQ(access.sockets().lockHolds[0], 1);
  second.close();
  auto locks = manager.callsOf(FN_LOCK);
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].buffer, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(access.sockets().lockHolds[0], 0);
}

TEST_F(CardWindow, AWindowThatCannotTakeTheCardStaysEmptyRefusesWorkAndReleasesNothing) {
  insert(CardTemplate::Sram);
  bind();
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_LOCK ? std::optional<int32_t>(CS_IN_USE) : std::nullopt;
  };
  auto window = open(0);
  window->activate();
  EXPECT_TRUE(view.cleared);
  EXPECT_TRUE(view.minimised);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"1D : カードが他のプログラムで使用されています"}));
  EXPECT_FALSE(window->beginCommand());
  window->keyPress(ListId::Dump, 'A', 0);
  window->scroll(ScrollCode::PageDown);
  EXPECT_EQ(countOf(FN_WRITE) + countOf(FN_READ), 0u);
  faults.fault = nullptr;
  manager.calls.clear();
  window->close();
  EXPECT_EQ(countOf(FN_LOCK), 0u);

  // "再読み込み" once the other program has let go brings the window back.
  auto again = open(0);
  again->firstRead();
  EXPECT_TRUE(again->readSucceeded());
  EXPECT_TRUE(again->beginCommand());
  again->endCommand();
}

TEST_F(CardWindow, LampsFollowTheStatusAndTheBatteryRule) {
  auto window = sramWindow();
  window->updateSocketLamps(0, 0xC8 | 0x01 | 0x20);
  EXPECT_EQ(view.lamps.card, 0x00FF00u);
  EXPECT_EQ(view.lamps.protect, 0x0000FFu);
  EXPECT_EQ(view.lamps.battery, 0x00FFFFu);
  window->updateSocketLamps(0, 0xC8 | 0x30);
  EXPECT_EQ(view.lamps.protect, 0x00FF00u);
  EXPECT_EQ(view.lamps.battery, 0x0000FFu);
  window->updateSocketLamps(1, 0);  // another socket's news
  EXPECT_EQ(view.lamps.card, 0x00FF00u);

  host.nt5 = true;  // an SRAM card in a PC Card socket of such a system
  access.sockets().category[0] = 0;
  window->activate();
  EXPECT_FALSE(view.lamps.batteryEnabled);
  EXPECT_EQ(view.lamps.battery, 0xFFFFFFu);
  host.nt5 = false;
  window->activate();
  EXPECT_TRUE(view.lamps.batteryEnabled);
  EXPECT_EQ(view.lamps.battery, 0x0000FFu);
}

TEST_F(CardWindow, ARemovedCardClosesTheIdleWindowOnceWith270) {
  auto window = sramWindow();
  window->updateSocketLamps(0, 0);
  window->updateSocketLamps(0, 0);
  window->endCommand();
  window->activate();
  EXPECT_EQ(view.lamps.card, 0xFFFFFFu);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"10E : カードが抜去されました"}));
  EXPECT_EQ(view.closeRequests, 1);
  window->close();
}

TEST_F(CardWindow, ARemovalDuringACommandClosesTheWindowWhenTheCommandEnds) {
  auto window = sramWindow();
  ASSERT_TRUE(window->beginCommand());
  manager.calls.clear();
  // Activations while the command runs (its message boxes and progress
  // window hand the focus around) leave the card and the busy flag alone.
  window->activate();
  host.progress = true;
  window->activate();
  EXPECT_TRUE(window->busy());
  EXPECT_TRUE(manager.calls.empty());
  window->updateSocketLamps(0, 0x80);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(view.closeRequests, 0);
  window->endCommand();
  window->endCommand();
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"10E : カードが抜去されました"}));
  EXPECT_EQ(view.closeRequests, 1);
}

TEST_F(CardWindow, AnAtaCardPulledWithAtaEditingOnWarnsOfLostChanges) {
  insert(CardTemplate::Ata);
  bind();
  host.ataEdit = true;
  auto window = open(0);
  window->activate();
  ASSERT_EQ(window->deviceType(), kTypeAta);
  window->updateSocketLamps(0, 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].substr(0, 6), "10F : ");
  manager.calls.clear();
  window->close();  // the card is gone: nothing to flush
  EXPECT_EQ(countOf(FN_FLUSH), 0u);
}

TEST_F(CardWindow, AWindowOpenedOnAnUnusableCardClosesAtOnce) {
  insert(CardTemplate::Sram);
  bind();
  access.sockets().state[0] = 0x80;  // present, not usable
  auto window = open(0);
  EXPECT_EQ(view.lamps.card, 0xFFFFFFu);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"10E : カードが抜去されました"}));
  EXPECT_EQ(view.closeRequests, 1);
  window->activate();
  EXPECT_EQ(countOf(FN_LOCK), 0u);
}

TEST_F(CardWindow, ClosingAnAtaWindowFlushesTheCardAndReportsAFailure) {
  insert(CardTemplate::Ata);
  bind();
  auto window = open(0);
  window->activate();
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_FLUSH ? std::optional<int32_t>(CS_WRITE_ERROR) : std::nullopt;
  };
  window->close();
  EXPECT_EQ(countOf(FN_FLUSH), 1u);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"12 : ライトエラー"}));
  EXPECT_FALSE(window->holdsLock());
}

TEST_F(CardWindow, ReTargetingReleasesTheOldSocketAndReadsTheNewArea) {
  insert(CardTemplate::Sram);
  insert(CardTemplate::TwoRegion);
  bind();
  auto window = open(0);
  window->activate();
  host.openCardOk = true;
  host.onOpenCard = [&] { access.selection() = CurrentSelection{1, 1, 0, 0x2000}; };
  manager.calls.clear();
  window->popSet();
  EXPECT_EQ(access.sockets().lockHolds[0], 0);
  EXPECT_EQ(access.sockets().lockHolds[1], 1);
  auto locks = manager.callsOf(FN_LOCK);
  ASSERT_EQ(locks.size(), 2u);
  EXPECT_EQ(locks[0].request.socket, 0);
  EXPECT_EQ(locks[1].request.socket, 1);
  EXPECT_EQ(view.caption, "SOCKET2[COMMON] ");
  EXPECT_EQ(window->top(), 0x2000u);
  EXPECT_EQ(window->areaSize(), 0x100000u);
}

}  // namespace
}  // namespace tessel
