// The card window's command frame on the real card path: the dialogs are the
// real dialog models, filled in as a user would fill them, and what reaches
// the card is read from the virtual card's own image.
#include "card_window_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "card_messages.h"
#include "card_window_fixture.h"
#include "hex_text.h"
#include "image_file_api.h"
#include "page_text.h"
#include "print_lines.h"
#include "recording_progress.h"
#include "result_codes.h"
#include "scratch_dir.h"
#include "texts.h"

namespace tessel {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

class DiskProbe final : public FileProbe {
 public:
  bool exists(std::string_view name) override { return std::filesystem::exists(std::string(name)); }
};

// Shows each dialog as a user would: the dialog activated, the test's
// `fill` types into it, OK is pressed until the dialog closes or the test
// gives up (fill returns false: Cancel).
class ScriptedPresenter final : public DialogPresenter {
 public:
  template <typename Model>
  using Script = std::function<bool(Model&)>;

  bool showTransfer(TransferDialogModel& model) override { return run(model, transfer); }
  bool showErase(EraseDialogModel& model) override { return run(model, erase); }
  bool showEraseCheck(ECheckDialogModel& model) override { return run(model, eraseCheck); }
  bool showFill(FillDialogModel& model) override { return run(model, fill); }
  bool showMove(MoveDialogModel& model) override { return run(model, move); }
  bool showCardCopy(CardCopyDialogModel& model) override { return run(model, cardCopy); }
  bool showSearch(SearchDialogModel& model) override { return run(model, search); }
  bool showPrint(PrintDialogModel& model) override { return run(model, print); }
  bool showDevice(DevDialogModel& model) override {
    ++shown;
    model.activate();
    if (!device || !device(model)) return false;
    return model.okBtnClick(messages) == DialogStep::CloseOk;
  }

  Script<TransferDialogModel> transfer;
  Script<EraseDialogModel> erase;
  Script<ECheckDialogModel> eraseCheck;
  Script<FillDialogModel> fill;
  Script<MoveDialogModel> move;
  Script<CardCopyDialogModel> cardCopy;
  Script<SearchDialogModel> search;
  Script<PrintDialogModel> print;
  Script<DevDialogModel> device;
  test::RecordingMessages messages;  // the device dialog's own messages
  int shown = 0;

 private:
  template <typename Model>
  bool run(Model& model, const Script<Model>& script) {
    ++shown;
    model.activate();
    if (!script || !script(model)) return false;
    return model.okBtnClick() == DialogStep::CloseOk;
  }
};

class RecordingSelections final : public ListSelections {
 public:
  ListSelection dumpSelection() override { return dump; }
  ListSelection charSelection() override { return chars; }
  void clearSelections() override { dump = chars = {}; }
  ListSelection dump, chars;
};

class RecordingClipboard final : public Clipboard {
 public:
  void setText(std::string_view text) override { held = text; }
  std::string text() override { return held; }
  std::string held;
};

class RecordingPrinter final : public Printer {
 public:
  Start start(std::string_view) override {
    ++starts;
    return answer;
  }
  bool printLine(std::string_view line) override {
    lines.emplace_back(line);
    return true;
  }
  void finish() override { ++finishes; }
  Start answer = Start::Printing;
  int starts = 0, finishes = 0;
  std::vector<std::string> lines;
};

class RecordingCardInfo final : public CardInfoDisplay {
 public:
  void show(uint8_t socket, std::span<const cis::CisTupleEntry> tuples) override {
    shownSocket = socket;
    for (const cis::CisTupleEntry& entry : tuples) codes.push_back(static_cast<uint8_t>(entry.code));
  }
  int shownSocket = -1;
  std::vector<uint8_t> codes;
};

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(address * 13 + (address >> 8) + 1); }

class CardWindowCommandsTest : public test::CardWindowTest {
 protected:
  // Socket 0: an SRAM card of `size` bytes whose bytes tell their address.
  std::unique_ptr<CardWindowModel> sramWindow(uint32_t size = 0x40000) {
    insert(CardTemplate::Sram, withImage(size, imageFile(size, pattern)));
    return bindAndOpen();
  }
  std::unique_ptr<CardWindowModel> bindAndOpen(uint8_t socket = 0) {
    bind();
    auto window = open(socket);
    window->activate();
    return window;
  }
  void run(CardWindowModel& window, CardCommand command) {
    CardWindowCommands commands(window, services, selections);
    commands.run(command);
  }
  std::string file(const std::string& name) const { return (scratch / name).string(); }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string cardBytes(size_t reader, uint32_t offset, uint32_t length) {
    std::vector<uint8_t> bytes = image(reader, offset, length);
    return std::string(bytes.begin(), bytes.end());
  }
  static std::string expected(uint32_t offset, uint32_t length) {
    std::string bytes;
    for (uint32_t i = 0; i < length; ++i) bytes += static_cast<char>(pattern(offset + i));
    return bytes;
  }
  void protect(size_t reader) {
    ASSERT_EQ(zrb2x::virt::changeReader(readers[reader], [](auto& state) { state.writeProtect = true; }), "");
    pollSockets(access);
  }
  std::vector<std::string> messagesShown() const { return messages.shown; }

  zrb::test::ScratchDir scratch;
  DiskProbe probe;
  CommandDialogs dialogs{access, probe};
  ScriptedPresenter presenter;
  test::RecordingProgress progress;
  SharedCommandState shared;
  RecordingClipboard clipboard;
  RecordingPrinter printer;
  RecordingCardInfo cardInfo;
  RecordingSelections selections;
  CommandServices services{access,         dialogs, presenter, progress, messages,
                           imageFileApi(), shared,  clipboard, printer,  cardInfo};
};

std::string errorText(uint16_t code) { return cardErrorMessage(code); }

// ---- File transfers --------------------------------------------------------------------

TEST_F(CardWindowCommandsTest, CardToFileTakesTheDialogsRangeAndFile) {
  auto window = sramWindow();
  const std::string target = file("part.bin");
  presenter.transfer = [&](TransferDialogModel& dialog) {
    EXPECT_EQ(dialog.kind(), TransferKind::Read);
    // A first showing: the remembered end FFFFFFFF was brought into the area.
    EXPECT_EQ(dialog.endText(), "0003FFFF");
    dialog.setStartText("100");
    dialog.setEndText("2FF");
    dialog.setFileNameText(target);
    dialog.fileTypeBoxChange(0);
    return true;
  };
  run(*window, CardCommand::CardToFile);
  EXPECT_EQ(contents(target), expected(0x100, 0x200));
  EXPECT_TRUE(messagesShown().empty());
  EXPECT_FALSE(window->busy());
  EXPECT_EQ(dialogs.read.values().fileName, target);
}

TEST_F(CardWindowCommandsTest, FileToCardWritesComparesAndShowsThePageAgain) {
  auto window = sramWindow();
  const std::string source = file("new.bin");
  std::ofstream(source, std::ios::binary) << std::string(0x300, '\x5A');
  window->scroll(ScrollCode::PageDown);
  const uint32_t top = window->top();
  presenter.transfer = [&](TransferDialogModel& dialog) {
    dialog.setStartText("0");
    dialog.setEndText("3FFFF");
    dialog.setOffsetText("0");
    dialog.setFileNameText(source);
    dialog.fileTypeBoxChange(0);
    dialog.setCompareOption(true);
    return true;
  };
  view.carets = Carets{40, 7};
  run(*window, CardCommand::FileToCard);

  EXPECT_EQ(cardBytes(0, 0, 0x300), std::string(0x300, '\x5A'));
  EXPECT_EQ(cardBytes(0, 0x300, 0x10), expected(0x300, 0x10));
  // The compare after the write found the card and the file alike.
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{std::string(text(sid::kNoDifference))}));
  // The page is read again where it stood, both carets on its first byte.
  EXPECT_EQ(window->top(), top);
  EXPECT_EQ(window->page()[0], 0x5A);
  EXPECT_EQ(view.carets.dump, 0u);
  EXPECT_EQ(view.carets.chars, 0u);
}

TEST_F(CardWindowCommandsTest, AFailedWriteIsShownAndNotFollowedByTheCompare) {
  auto window = sramWindow();
  presenter.transfer = [&](TransferDialogModel& dialog) {
    dialog.setFileNameText(file("missing.hex"));
    dialog.setCompareOption(true);
    return true;
  };
  run(*window, CardCommand::FileToCard);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(R_FILE_ERROR)}));
  EXPECT_EQ(progress.starts, 0);
}

TEST_F(CardWindowCommandsTest, AWriteProtectedCardIsRefusedBeforeAnyDialog) {
  auto window = sramWindow();
  protect(0);
  window->updateSocketLamps(0, access.sockets().state[0]);
  for (CardCommand command :
       {CardCommand::FileToCard, CardCommand::Erase, CardCommand::Fill, CardCommand::Move})
    run(*window, command);
  EXPECT_EQ(presenter.shown, 0);
  EXPECT_EQ(messagesShown(), std::vector<std::string>(4, errorText(CS_WRITE_PROTECTED)));
  EXPECT_EQ(countOf(FN_WRITE) + countOf(FN_ERASE), 0u);
  // Reading commands still run on a protected card.
  run(*window, CardCommand::EraseCheck);
  EXPECT_EQ(presenter.shown, 1);
  EXPECT_FALSE(window->busy());
}

TEST_F(CardWindowCommandsTest, CancelRunsNothingAndLeavesThePageAlone) {
  auto window = sramWindow();
  const int pages = view.pagesShown;
  for (CardCommand command : {CardCommand::CardToFile, CardCommand::FileToCard, CardCommand::CompareFile,
                              CardCommand::Erase, CardCommand::EraseCheck, CardCommand::Fill,
                              CardCommand::Move, CardCommand::CardCopy, CardCommand::CardCompare})
    run(*window, command);
  EXPECT_EQ(presenter.shown, 9);
  EXPECT_EQ(progress.starts, 0);
  EXPECT_EQ(view.pagesShown, pages);
  EXPECT_TRUE(messagesShown().empty());
  EXPECT_FALSE(window->busy());
}

// ---- Range commands --------------------------------------------------------------------

TEST_F(CardWindowCommandsTest, EraseWithCheckReturnsToTheStartOfTheArea) {
  auto window = sramWindow();
  window->scroll(ScrollCode::PageDown);
  window->scroll(ScrollCode::PageDown);
  presenter.erase = [&](EraseDialogModel& dialog) {
    EXPECT_EQ(dialog.endText(), "0003FFFF");
    dialog.setEndText("1FFFF");
    dialog.setOptionChecked(true);
    return true;
  };
  run(*window, CardCommand::Erase);
  EXPECT_EQ(cardBytes(0, 0, 0x20000), std::string(0x20000, '\xFF'));
  EXPECT_EQ(cardBytes(0, 0x20000, 0x10), expected(0x20000, 0x10));
  // The check ran over the erased range and found nothing to report.
  EXPECT_EQ(progress.starts, 2);
  EXPECT_EQ(progress.caption, text(sid::kCaptionChecking));
  EXPECT_TRUE(messagesShown().empty());
  EXPECT_EQ(window->top(), 0u);
  EXPECT_EQ(view.scrollPosition, 0u);
  EXPECT_EQ(window->page()[0], 0xFF);
}

TEST_F(CardWindowCommandsTest, FillAndMoveChangeTheCardAndTheShownPage) {
  auto window = sramWindow();
  presenter.fill = [&](FillDialogModel& dialog) {
    dialog.setStartText("0");
    dialog.setEndText("FF");
    dialog.setPatternText("01 02 03");
    return true;
  };
  run(*window, CardCommand::Fill);
  EXPECT_EQ(cardBytes(0, 0, 6), std::string("\x01\x02\x03\x01\x02\x03", 6));
  EXPECT_EQ(window->page()[3], 0x01);

  presenter.move = [&](MoveDialogModel& dialog) {
    EXPECT_EQ(dialog.destinationText(), "00000000");
    dialog.setStartText("0");
    dialog.setEndText("FF");
    dialog.setDestinationText("10");
    return true;
  };
  run(*window, CardCommand::Move);
  // An overlapping move upwards: the copy is intact.
  EXPECT_EQ(cardBytes(0, 0x10, 6), std::string("\x01\x02\x03\x01\x02\x03", 6));
  EXPECT_EQ(window->page()[0x10], 0x01);
  EXPECT_EQ(view.carets.dump, 0u);
  EXPECT_TRUE(messagesShown().empty());
}

// ---- Card to card --------------------------------------------------------------------

TEST_F(CardWindowCommandsTest, CardCopyGoesToTheOtherCardAndCompareAgrees) {
  insert(CardTemplate::Sram, withImage(0x20000, imageFile(0x20000, [](uint32_t) { return 0; })));
  insert(CardTemplate::Sram, withImage(0x20000, imageFile(0x20000, pattern)));
  auto window = bindAndOpen(1);
  presenter.cardCopy = [&](CardCopyDialogModel& dialog) {
    // The other usable card is the preset destination.
    EXPECT_EQ(dialog.destSocket, 0);
    return true;
  };
  run(*window, CardCommand::CardCopy);
  EXPECT_EQ(cardBytes(0, 0, 0x20000), expected(0, 0x20000));
  EXPECT_TRUE(messagesShown().empty());

  run(*window, CardCommand::CardCompare);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{std::string(text(sid::kNoDifference))}));
}

TEST_F(CardWindowCommandsTest, CardCopyRefusesAWriteProtectedDestinationAfterItsDialog) {
  insert(CardTemplate::Sram, withImage(0x20000, imageFile(0x20000, [](uint32_t) { return 0; })));
  insert(CardTemplate::Sram, withImage(0x20000, imageFile(0x20000, pattern)));
  bind();
  protect(0);
  auto window = open(1);
  window->activate();
  presenter.cardCopy = [](CardCopyDialogModel&) { return true; };
  run(*window, CardCommand::CardCopy);
  EXPECT_EQ(presenter.shown, 1);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(CS_WRITE_PROTECTED)}));
  EXPECT_EQ(cardBytes(0, 0, 0x10), std::string(0x10, '\0'));
}

// ---- The frame ---------------------------------------------------------------------------

TEST_F(CardWindowCommandsTest, ABusyWindowTakesNoSecondCommand) {
  auto window = sramWindow();
  int inner = 0;
  presenter.eraseCheck = [&](ECheckDialogModel&) {
    // A command asked for while this one's dialog is up (the poll and the
    // menus keep running) does not start.
    ++inner;
    if (inner == 1) run(*window, CardCommand::EraseCheck);
    return false;
  };
  run(*window, CardCommand::EraseCheck);
  EXPECT_EQ(inner, 1);
  EXPECT_FALSE(window->busy());
}

TEST_F(CardWindowCommandsTest, AnEscapingFailureStillEndsTheCommand) {
  auto window = sramWindow();
  presenter.fill = [](FillDialogModel&) -> bool { throw std::runtime_error("dialog failed"); };
  EXPECT_THROW(run(*window, CardCommand::Fill), std::runtime_error);
  EXPECT_FALSE(window->busy());
  presenter.eraseCheck = [](ECheckDialogModel&) { return true; };
  run(*window, CardCommand::EraseCheck);
  EXPECT_EQ(progress.starts, 1);
}

TEST_F(CardWindowCommandsTest, ACardPulledDuringACommandClosesTheWindowAtItsEnd) {
  insert(CardTemplate::Sram, withImage(0x40000, imageFile(0x40000, [](uint32_t) { return 0xFF; })));
  auto window = bindAndOpen();
  presenter.eraseCheck = [](ECheckDialogModel&) { return true; };
  progress.onStep = [&](int) {
    EXPECT_EQ(zrb2x::virt::removeCard(readers[0]), "");
    pollSockets(access);
    window->updateSocketLamps(0, access.sockets().state[0]);
    return true;
  };
  run(*window, CardCommand::EraseCheck);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(R_CARD_REMOVED)}));
  EXPECT_EQ(view.closeRequests, 1);
}

// ---- Search, clipboard, printing, card information, device type -------------------------

class CardWindowSearchTest : public CardWindowCommandsTest {
 protected:
  // Zeros, with the pair AA 55 at `first` and `second`.
  std::unique_ptr<CardWindowModel> pairsWindow(uint32_t first, uint32_t second) {
    insert(CardTemplate::Sram, withImage(0x40000, imageFile(0x40000, [=](uint32_t a) -> uint8_t {
                                           if (a == first || a == second) return 0xAA;
                                           if (a == first + 1 || a == second + 1) return 0x55;
                                           return 0;
                                         })));
    return bindAndOpen();
  }
};

TEST_F(CardWindowSearchTest, SearchThenRepeatForwardAndBackwardVisitTheMatchesInTurn) {
  auto window = pairsWindow(0x12345, 0x2FFFF);  // the second pair spans two blocks
  presenter.search = [](SearchDialogModel& dialog) {
    EXPECT_EQ(dialog.endText(), "0003FFFF");
    dialog.setPatternText("AA 55");
    return true;
  };
  run(*window, CardCommand::Search);
  EXPECT_EQ(window->top(), 0x12300u);
  EXPECT_EQ(window->caretAddress(), 0x12345u);
  EXPECT_EQ(view.carets.dump, dumpPositionOf(0x45));

  run(*window, CardCommand::SearchDown);
  EXPECT_EQ(window->caretAddress(), 0x2FFFFu);
  // Backwards the caret stands on the last byte of the match.
  run(*window, CardCommand::SearchUp);
  EXPECT_EQ(window->caretAddress(), 0x12346u);
  EXPECT_TRUE(messagesShown().empty());

  run(*window, CardCommand::SearchUp);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(R_NOT_FOUND)}));
  EXPECT_EQ(window->caretAddress(), 0x12346u) << "the view stays where it was";
  EXPECT_EQ(presenter.shown, 1);
}

TEST_F(CardWindowSearchTest, RepeatKeysBeforeAnySearchOpenTheDialogInTheirDirection) {
  auto window = pairsWindow(0x100, 0x200);
  presenter.search = [](SearchDialogModel& dialog) {
    EXPECT_EQ(dialog.direction(), 1);
    EXPECT_EQ(dialog.condition(), 0);
    return false;
  };
  run(*window, CardCommand::SearchUp);
  EXPECT_EQ(presenter.shown, 1);
  EXPECT_FALSE(shared.searchRun) << "a cancelled dialog is no search";
}

TEST_F(CardWindowCommandsTest, CharactersCopiedArePastedAsTheirBytesAndHexTextThroughTheClipboard) {
  auto window = sramWindow();
  // Three characters of line 1: bytes 0x12..0x14.
  selections.chars = {18 + 2, 18 + 5};
  run(*window, CardCommand::Copy);
  EXPECT_EQ(shared.copy.count(), 3);
  EXPECT_TRUE(selections.chars.empty());
  window->click(ListId::Dump, dumpPositionOf(0x40));
  run(*window, CardCommand::Paste);
  EXPECT_EQ(cardBytes(0, 0x40, 4), expected(0x12, 3) + expected(0x43, 1));
  EXPECT_EQ(window->caretAddress(), 0x40u);

  // A hexadecimal selection goes to the clipboard as text; a paste reads it.
  selections.dump = {1, 7};  // from the low digit of byte 0 into byte 2: bytes 0 to 2
  run(*window, CardCommand::Copy);
  EXPECT_EQ(shared.copy.count(), CopyState::kTextMarker);
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", pattern(0), pattern(1), pattern(2));
  EXPECT_EQ(clipboard.held, text);
  clipboard.held = "5A A5";
  window->click(ListId::Dump, dumpPositionOf(0x80));
  run(*window, CardCommand::Paste);
  EXPECT_EQ(cardBytes(0, 0x80, 3), std::string("\x5A\xA5", 2) + expected(0x82, 1));

  // Text that is not two-digit bytes is refused whole.
  clipboard.held = "0x12 34";
  run(*window, CardCommand::Paste);
  EXPECT_EQ(messagesShown(),
            (std::vector<std::string>{std::string(hexTextMessage(HexTextStatus::NotHexBytes))}));
  EXPECT_EQ(cardBytes(0, 0x80, 2), std::string("\x5A\xA5", 2));
}

TEST_F(CardWindowCommandsTest, APasteStopsAtTheAreasEndAndIsRefusedOnAFlashCard) {
  insert(CardTemplate::Sram, withImage(0x10000, imageFile(0x10000, pattern)));
  insert(CardTemplate::Flash28F008);
  auto window = bindAndOpen();
  window->toBottom();
  window->click(ListId::Dump, dumpPositionOf(0xFC));
  ASSERT_EQ(window->caretAddress(), 0xFFFCu);
  shared.copy.copiedHexText();
  clipboard.held = "01 02 03 04 05 06 07 08";
  manager.calls.clear();
  run(*window, CardCommand::Paste);
  ASSERT_EQ(manager.callsOf(FN_WRITE).size(), 1u);
  EXPECT_EQ(manager.callsOf(FN_WRITE)[0].buffer.size(), 4u);
  EXPECT_EQ(cardBytes(0, 0xFFFC, 4), std::string("\x01\x02\x03\x04", 4));

  auto flash = open(1);
  flash->activate();
  run(*flash, CardCommand::Paste);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(R_NOT_PASTEABLE)}));
}

TEST_F(CardWindowCommandsTest, PrintingListsEveryByteOfTheRangeAndACancelPrintsNothing) {
  auto window = sramWindow();
  presenter.print = [](PrintDialogModel& dialog) {
    EXPECT_EQ(dialog.endText(), "000000FF");
    dialog.setStartText("0");
    dialog.setEndText("107");
    return true;
  };
  run(*window, CardCommand::Print);
  ASSERT_EQ(printer.lines.size(), 17u);
  std::vector<uint8_t> first(16);
  for (uint32_t i = 0; i < 16; ++i) first[i] = pattern(i);
  EXPECT_EQ(printer.lines[0], printLine(0, first));
  EXPECT_EQ(printer.lines[16].substr(0, 11), "00000100 | ");
  EXPECT_EQ(printer.finishes, 1);

  printer.answer = Printer::Start::Cancelled;
  printer.lines.clear();
  run(*window, CardCommand::Print);
  EXPECT_TRUE(printer.lines.empty());
  EXPECT_TRUE(messagesShown().empty());
}

TEST_F(CardWindowCommandsTest, CardInformationWalksTheCisAndLeavesTheWindowsRegionSelected) {
  insert(CardTemplate::TwoRegion);
  bind();
  auto window = open(0, 0, 1);
  window->activate();
  run(*window, CardCommand::CardInformation);
  EXPECT_EQ(cardInfo.shownSocket, 0);
  ASSERT_FALSE(cardInfo.codes.empty());
  EXPECT_EQ(cardInfo.codes.front(), 0x01) << "the device tuple comes first";
  EXPECT_EQ(access.sockets().selectedRegion[0], 1);
  EXPECT_EQ(manager.callsOf(FN_SELECT_REGION).back().buffer, (std::vector<uint8_t>{1}));
}

TEST_F(CardWindowCommandsTest, DeviceTypeChangesTheAreaAndIsRefusedForAttributeMemory) {
  auto window = sramWindow();
  presenter.device = [](DevDialogModel& dialog) {
    EXPECT_EQ(dialog.sizeText(), "0040000");
    dialog.setSizeText("20000");
    return true;
  };
  run(*window, CardCommand::DeviceType);
  EXPECT_EQ(window->areaSize(), 0x20000u);
  const uint32_t recorded = access.sockets().info[0].areaSize[0];  // a packed record: read, not bound
  EXPECT_EQ(recorded, 0x20000u);
  EXPECT_EQ(window->top(), 0u);

  auto attribute = open(0, 1);
  attribute->activate();
  run(*attribute, CardCommand::DeviceType);
  EXPECT_EQ(messagesShown(), (std::vector<std::string>{errorText(R_NOT_CHANGEABLE)}));
  EXPECT_EQ(presenter.shown, 1);
}

}  // namespace
}  // namespace tessel
