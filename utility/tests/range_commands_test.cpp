// The range and card-to-card loops on the real card path: what reaches the
// card (its image file), which calls the loops make, and what the progress
// window and the user are shown.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card_window_fixture.h"
#include "range_commands.h"
#include "result_codes.h"

namespace tessel {
namespace {

using namespace cardservice;
using test::CardWindowTest;
using zrb2x::virt::CardTemplate;

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(address * 7 + (address >> 8)); }

// What the loops told the progress window; it answers stop at a chosen step
// and can change the card between blocks.
class StepRecorder final : public Progress {
 public:
  void start(uint32_t total, std::string_view text) override {
    steps = total;
    caption = text;
    ++starts;
  }
  void setPosition(std::string_view text) override { positions.emplace_back(text); }
  bool step() override {
    ++stepped;
    if (betweenBlocks) betweenBlocks(stepped);
    return !stopAtStep || stepped < *stopAtStep;
  }
  void close() override { ++closes; }

  uint32_t steps = 0;
  std::string caption;
  int starts = 0, stepped = 0, closes = 0;
  std::vector<std::string> positions;
  std::optional<int> stopAtStep;
  std::function<void(int)> betweenBlocks;
};

// These loops never open an image file; the context only wants its table.
const ImageFileApi& noImageFiles() {
  alignas(std::max_align_t) static const unsigned char table[256] = {};
  return *reinterpret_cast<const ImageFileApi*>(table);
}

class RangeCommands : public CardWindowTest {
 protected:
  // One card per socket, each filled with `pattern` over `imageSize` bytes.
  void cards(std::initializer_list<CardTemplate> templates, uint32_t imageSize = 0x40000,
             uint8_t (*fill)(uint32_t) = pattern) {
    for (CardTemplate card : templates) {
      zrb2x::virt::InsertOptions options;
      options.image = imageFile(imageSize, fill);
      insert(card, options);
    }
    bind();
  }
  CommandContext on(uint8_t socket, uint8_t area = 0) {
    const SocketInfo& info = access.sockets().info[socket];
    CommandArea where{socket, 0, area, info.deviceType[area], info.eraseUnit[area], info.areaSize[area]};
    return CommandContext{access, progress, messages, noImageFiles(), where};
  }
  std::vector<uint8_t> regionsSelected(uint8_t socket) const {
    std::vector<uint8_t> regions;
    for (const test::ServiceCall& call : manager.callsOf(FN_SELECT_REGION))
      if (call.request.socket == socket) regions.push_back(call.buffer.at(0));
    return regions;
  }
  std::vector<uint8_t> expected(uint32_t from, uint32_t length, uint8_t (*fill)(uint32_t) = pattern) {
    std::vector<uint8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i) bytes[i] = fill(from + i);
    return bytes;
  }

  StepRecorder progress;
};

uint8_t zero(uint32_t) { return 0; }
uint8_t erased(uint32_t address) { return address == 0x12345 ? 0x7F : 0xFF; }

TEST_F(RangeCommands, EraseWorksInTheAreasBlocksAndErasesTheRestLast) {
  cards({CardTemplate::Flash28F008}, 0x40000, zero);
  CommandContext context = on(0);
  ASSERT_EQ(context.area.eraseUnit, 0x20000u);
  manager.calls.clear();

  EXPECT_EQ(eraseRange(context, 0, 0x30000), R_SUCCESS);
  const auto calls = manager.callsOf(FN_ERASE);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(uint32_t{calls[0].request.offset}, 0u);
  EXPECT_EQ(uint32_t{calls[1].request.offset}, 0x20000u);
  EXPECT_EQ(progress.caption, "カードイレース");
  EXPECT_EQ(progress.steps, 1u);
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00000000", "00020000"}));
  EXPECT_EQ(progress.closes, 1);
  EXPECT_EQ(image(0, 0, 0x30000), std::vector<uint8_t>(0x30000, 0xFF));
}

TEST_F(RangeCommands, EraseBlockFollowsTheDeviceTypeAndAnAreaWithoutOneIsRefused) {
  EXPECT_EQ(eraseBlockFor({0, 0, 0, 0, 2, 0}), 0x10000u);      // SRAM: not its 2-byte unit
  EXPECT_EQ(eraseBlockFor({0, 0, 0, 1, 2, 0}), 512u);          // EEPROM
  EXPECT_EQ(eraseBlockFor({0, 0, 0, 8, 0x200, 0}), 0x10000u);  // ATA
  EXPECT_EQ(eraseBlockFor({0, 0, 0, 5, 0x8000, 0}), 0x8000u);  // the chip's own block

  cards({CardTemplate::Flash28F008}, 0x100, zero);
  CommandContext context = on(0);
  context.area.eraseUnit = 0;
  manager.calls.clear();
  EXPECT_EQ(eraseRange(context, 0, 0x30000), R_PARAMETER);
  EXPECT_TRUE(manager.callsOf(FN_ERASE).empty());
  EXPECT_EQ(progress.starts, progress.closes);
}

TEST_F(RangeCommands, EraseCheckReportsTheFirstByteThatIsNotErasedAndSucceeds) {
  cards({CardTemplate::Sram}, 0x40000, erased);
  CommandContext context = on(0);
  manager.calls.clear();
  EXPECT_EQ(eraseCheckRange(context, 0, 0x40000), R_SUCCESS);
  EXPECT_EQ(messages.shown, std::vector<std::string>{"イレースＮＧ \rAddress=0012345"});
  EXPECT_EQ(manager.callsOf(FN_READ).size(), 2u);  // the check ends at the finding
  EXPECT_EQ(progress.caption, "チェック中");
  EXPECT_EQ(progress.closes, 1);

  messages.shown.clear();
  EXPECT_EQ(eraseCheckRange(context, 0x20000, 0x20000), R_SUCCESS);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RangeCommands, FillCarriesThePatternsPhaseFromBlockToBlock) {
  cards({CardTemplate::Sram}, 0x40000, zero);
  CommandContext context = on(0);
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(fillRange(context, 0x100, 0x100 + 0x20000 - 1, bytes), R_SUCCESS);
  const std::vector<uint8_t> written = image(0, 0x100, 0x20000);
  EXPECT_EQ(written[0x10000], 0x02);
  for (uint32_t i = 0; i < written.size(); ++i)
    ASSERT_EQ(written[i], bytes[i % 3]) << "at " << std::hex << 0x100 + i;
  EXPECT_EQ(image(0, 0x20100, 2), (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(progress.caption, "フィル");
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00000100", "00010100"}));
  EXPECT_EQ(progress.stepped, 2);

  const uint8_t none[1] = {};
  EXPECT_EQ(fillRange(context, 0, 0xFF, std::span<const uint8_t>(none, 0)), R_PARAMETER);
}

TEST_F(RangeCommands, MoveOntoAnOverlappingRangeLeavesACorrectCopyInEitherDirection) {
  cards({CardTemplate::Sram}, 0x40000);
  CommandContext context = on(0);
  EXPECT_EQ(moveRange(context, 0x100, 0x20000, 0x110), R_SUCCESS);
  EXPECT_EQ(image(0, 0x110, 0x20000), expected(0x100, 0x20000));
  EXPECT_EQ(image(0, 0, 0x110), expected(0, 0x110));
  EXPECT_EQ(progress.caption, "転送中");
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00010100", "00000100"}));

  // Downwards: the copy runs from the bottom up.
  EXPECT_EQ(moveRange(context, 0x30000, 0x8010, 0x30000 - 0x10), R_SUCCESS);
  EXPECT_EQ(image(0, 0x2FFF0, 0x8010), expected(0x30000, 0x8010));
}

// The command-line tool moves larger blocks than the card window: a block
// that is no multiple of the pattern, and moves closer than one block.
TEST_F(RangeCommands, LargerBlocksKeepTheFillsPhaseAndMovesRight) {
  cards({CardTemplate::Sram}, 0x80000);
  CommandContext context = on(0);
  context.block = 0x28000;  // one more than a multiple of 3
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(fillRange(context, 0x10, 0x10 + 0x60000 - 1, bytes), R_SUCCESS);
  const std::vector<uint8_t> written = image(0, 0x10, 0x60000);
  for (uint32_t i = 0; i < written.size(); ++i)
    ASSERT_EQ(written[i], bytes[i % 3]) << "at " << std::hex << 0x10 + i;
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00000010", "00028010", "00050010"}));

  const std::vector<uint8_t> before = image(0, 0, 0x80000);
  auto was = [&](uint32_t from, uint32_t length) {
    return std::vector<uint8_t>(before.begin() + from, before.begin() + from + length);
  };
  EXPECT_EQ(moveRange(context, 0x8, 0x60000, 0x18), R_SUCCESS);
  EXPECT_EQ(image(0, 0x18, 0x60000), was(0x8, 0x60000));
  EXPECT_EQ(moveRange(context, 0x18, 0x60000, 0x4), R_SUCCESS);
  EXPECT_EQ(image(0, 0x4, 0x60000), was(0x8, 0x60000));
}

TEST_F(RangeCommands, StopEndsAfterTheCurrentBlockWith264AndClosesTheWindow) {
  cards({CardTemplate::Sram}, 0x40000, zero);
  CommandContext context = on(0);
  progress.stopAtStep = 1;
  manager.calls.clear();
  const uint8_t bytes[] = {0xAA};
  EXPECT_EQ(fillRange(context, 0, 0x3FFFF, bytes), R_STOPPED);
  EXPECT_EQ(manager.callsOf(FN_WRITE).size(), 1u);
  EXPECT_EQ(image(0, 0xFFFF, 2), (std::vector<uint8_t>{0xAA, 0}));  // what was done stays done
  EXPECT_EQ(progress.closes, 1);

  messages.shown.clear();
  progress.stepped = 0;
  EXPECT_EQ(compareCards(context, 0x10000, 0x20000, {0, 0, 0, 0x20000}), R_STOPPED);
  EXPECT_TRUE(messages.shown.empty());  // no "no differences" after a stop
}

TEST_F(RangeCommands, ACardPulledBetweenBlocksEndsTheCommandWith270BeforeTheNextBlock) {
  cards({CardTemplate::Sram, CardTemplate::Sram}, 0x40000);
  CommandContext context = on(0);
  progress.betweenBlocks = [&](int step) {
    if (step == 1) {
      ASSERT_EQ(zrb2x::virt::removeCard(readers[1]), "");
      pollSockets(access);  // as the progress window's message turn lets it
    }
  };
  manager.calls.clear();
  EXPECT_EQ(cardToCard(context, 0, 0x40000, {1, 0, 0, 0}), R_CARD_REMOVED);
  EXPECT_EQ(manager.callsOf(FN_WRITE).size(), 1u);
  EXPECT_EQ(progress.closes, 1);

  // The window's own card, during a move.
  progress.stepped = 0;
  progress.betweenBlocks = [&](int step) {
    if (step == 1) {
      ASSERT_EQ(zrb2x::virt::removeCard(readers[0]), "");
      pollSockets(access);
    }
  };
  manager.calls.clear();
  EXPECT_EQ(moveRange(context, 0, 0x30000, 0x100), R_CARD_REMOVED);
  EXPECT_EQ(manager.callsOf(FN_WRITE).size(), 1u);
}

TEST_F(RangeCommands,
       ACardPulledBeforeThePollSawItEndsWith270AtTheNextCardCallWithoutAStatusRequestPerBlock) {
  cards({CardTemplate::Sram}, 0x40000);
  CommandContext context = on(0);
  // A loop that meets no failure asks no status at all.
  manager.calls.clear();
  EXPECT_EQ(fillRange(context, 0, 0x2FFFF, std::vector<uint8_t>{1, 2}), R_SUCCESS);
  EXPECT_EQ(manager.callsOf(FN_STATUS).size(), 0u);
  progress.betweenBlocks = [&](int step) {
    if (step == 1) {
      ASSERT_EQ(zrb2x::virt::removeCard(readers[0]), "");
    }
  };
  using Loop = std::function<uint16_t()>;
  const Loop loops[] = {
      [&] { return eraseRange(context, 0, 0x30000); },
      [&] { return eraseCheckRange(context, 0, 0x30000); },
      [&] {
        return fillRange(context, 0, 0x2FFFF, std::vector<uint8_t>{1, 2});
      },
      [&] { return moveRange(context, 0, 0x20000, 0x20000); },
  };
  for (const Loop& loop : loops) {
    progress.stepped = 0;
    manager.calls.clear();
    EXPECT_EQ(loop(), R_CARD_REMOVED);
    // One, after the failed call, to tell a pulled card from a failing one.
    EXPECT_EQ(manager.callsOf(FN_STATUS).size(), 1u);
    // Erased, so that the erase check finds nothing in the first block.
    zrb2x::virt::InsertOptions erased;
    erased.image = imageFile(0x40000, [](uint32_t) { return uint8_t{0xFF}; });
    ASSERT_EQ(zrb2x::virt::insertCard(readers[0], CardTemplate::Sram, erased), "");
  }
}

// Written sectors of an ATA card reach it only with the flush: a flush that
// fails means the data is not on the card, whatever the writes said.
TEST_F(RangeCommands, AFailedFlushIsTheResultOfFillMoveAndCardCopy) {
  cards({CardTemplate::Ata, CardTemplate::Ata}, 0x40000);
  CommandContext context = on(0);
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    if (code == FN_FLUSH) return CS_WRITE_ERROR;
    return std::nullopt;
  };
  EXPECT_EQ(fillRange(context, 0, 0x1FF, std::vector<uint8_t>{0x5A}), CS_WRITE_ERROR);
  EXPECT_EQ(moveRange(context, 0, 0x200, 0x400), CS_WRITE_ERROR);
  EXPECT_EQ(cardToCard(context, 0, 0x200, {1, 0, 0, 0}), CS_WRITE_ERROR);
  // An earlier failure stays the result; the flush still runs for what was written.
  progress.stopAtStep = 1;
  manager.calls.clear();
  EXPECT_EQ(fillRange(context, 0, 0x1FFFF, std::vector<uint8_t>{0x5A}), R_STOPPED);
  EXPECT_EQ(manager.callsOf(FN_FLUSH).size(), 1u);
  faults.fault = nullptr;
  progress.stopAtStep.reset();
  EXPECT_EQ(fillRange(context, 0, 0x1FF, std::vector<uint8_t>{0x5A}), R_SUCCESS);
}

TEST_F(RangeCommands, CardCopyWithinOneSocketSelectsTheRegionsAroundEveryBlock) {
  cards({CardTemplate::TwoRegion}, 0x40000);
  CommandContext context = on(0);
  manager.calls.clear();
  EXPECT_EQ(cardToCard(context, 0x1000, 0x20000, {0, 0, 1, 0x100}), R_SUCCESS);
  EXPECT_EQ(regionsSelected(0), (std::vector<uint8_t>{1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(access.sockets().selectedRegion[0], 0);
  EXPECT_EQ(image(0, 0x80000 + 0x100, 0x20000), expected(0x1000, 0x20000));  // region 1 begins at 0x80000
  EXPECT_EQ(manager.callsOf(FN_FLUSH).size(), 1u);
  EXPECT_EQ(progress.caption, "カード→カード");
}

TEST_F(RangeCommands, CardCopyOntoAnOverlappingRangeOfTheSameAreaCopiesCorrectly) {
  cards({CardTemplate::Sram}, 0x40000);
  CommandContext context = on(0);
  EXPECT_EQ(cardToCard(context, 0, 0x20000, {0, 0, 0, 0x10}), R_SUCCESS);
  EXPECT_EQ(image(0, 0x10, 0x20000), expected(0, 0x20000));
}

TEST_F(RangeCommands, CardCompareAsksAtDifferencesAndSaysNoneOnlyWhenThereWereNone) {
  cards({CardTemplate::Sram, CardTemplate::Sram}, 0x40000);
  ASSERT_EQ(zrb2x::virt::removeCard(readers[1]), "");
  zrb2x::virt::InsertOptions options;
  options.image =
      imageFile(0x40000, [](uint32_t a) { return a == 0x10005 || a == 0x10007 ? 0 : pattern(a); });
  ASSERT_EQ(zrb2x::virt::insertCard(readers[1], CardTemplate::Sram, options), "");
  pollSockets(access);
  CommandContext context = on(0);

  // No at the first difference ends the comparison without the closing text.
  messages.answerYes = false;
  EXPECT_EQ(compareCards(context, 0, 0x20000, {1, 0, 0, 0}), R_SUCCESS);
  const std::string question = "相違が見つかりました \rAddress=0010005  Socket1=" + [] {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", pattern(0x10005));
    return std::string(hex);
  }() + "  Socket2=00\r続けますか？";
  EXPECT_EQ(messages.shown, std::vector<std::string>{question});

  // Stepping over the differences is not "no differences".
  messages.shown.clear();
  messages.answerYes = true;
  EXPECT_EQ(compareCards(context, 0, 0x20000, {1, 0, 0, 0}), R_SUCCESS);
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown.back().substr(0, 30), question.substr(0, 30));

  messages.shown.clear();
  EXPECT_EQ(compareCards(context, 0, 0x10000, {1, 0, 0, 0}), R_SUCCESS);
  EXPECT_EQ(messages.shown, std::vector<std::string>{"相違はありませんでした"});
  EXPECT_TRUE(manager.callsOf(FN_FLUSH).empty());
}

}  // namespace
}  // namespace tessel
