// The card window's command frame on the real card path: the dialogs are the
// real dialog models, filled in as a user would fill them, and what reaches
// the card is read from the virtual card's own image.
#include "card_window_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "card_messages.h"
#include "card_window_fixture.h"
#include "image_file_api.h"
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

  Script<TransferDialogModel> transfer;
  Script<EraseDialogModel> erase;
  Script<ECheckDialogModel> eraseCheck;
  Script<FillDialogModel> fill;
  Script<MoveDialogModel> move;
  Script<CardCopyDialogModel> cardCopy;
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
    CardWindowCommands commands(window, services);
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
  CommandServices services{access, dialogs, presenter, progress, messages, imageFileApi()};
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

}  // namespace
}  // namespace tessel
