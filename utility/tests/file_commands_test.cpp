// The file transfers of the card window over the real card path, with real
// image files in a scratch folder and the card's own image file to see what
// reached the card.
#include "file_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "card_window_fixture.h"
#include "image_file_api.h"
#include "intel_hex_records.h"
#include "recording_progress.h"
#include "result_codes.h"
#include "scratch_dir.h"
#include "texts.h"
#include "virtual/card_templates.h"

namespace tessel {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

constexpr int32_t kBinary = 0, kIntelHex = 1, kS19 = 2;

std::vector<uint8_t> counting(uint32_t length, uint32_t seed = 0) {
  std::vector<uint8_t> bytes(length);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>((i + seed) * 7 + (i >> 8));
  return bytes;
}

struct Piece {
  uint16_t address;
  std::vector<uint8_t> data;
};

class FileCommands : public test::CardWindowTest {
 protected:
  void insertAndBind(CardTemplate card, const zrb2x::virt::InsertOptions& options = {}) {
    insert(card, options);
    bind();
  }
  CommandContext context(uint8_t deviceType = 0) {
    return CommandContext{access, progress, messages, imageFileApi(), CommandArea{0, 0, 0, deviceType, 0, 0}};
  }
  // Pieces in the order given, 16 bytes a record, with or without the end record.
  std::string hexFile(const std::string& name, const std::vector<Piece>& pieces, bool endRecord = true) {
    std::ofstream out(files / name);
    for (const Piece& piece : pieces)
      for (size_t i = 0; i < piece.data.size(); i += 16)
        out << zrb::test::intelHexRecord(static_cast<uint16_t>(piece.address + i), piece.data, i,
                                         std::min<size_t>(16, piece.data.size() - i));
    if (endRecord) out << ":00000001FF\n";
    return (files / name).string();
  }
  std::string binaryFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(files / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return (files / name).string();
  }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Takes the card out and lets the status poll see it, as the progress
  // window's message turn does while a command runs.
  void removeCardNow() {
    ASSERT_EQ(zrb2x::virt::removeCard(readers[0]), "");
    pollSockets(access);
  }
  std::vector<uint32_t> lengthsOf(uint32_t code) const {
    std::vector<uint32_t> lengths;
    for (const test::ServiceCall& call : manager.callsOf(code))
      lengths.push_back(uint32_t(call.buffer.size()));
    return lengths;
  }
  std::vector<uint32_t> offsetsOf(uint32_t code) const {
    std::vector<uint32_t> offsets;
    for (const test::ServiceCall& call : manager.callsOf(code))
      offsets.push_back(uint32_t{call.request.offset});
    return offsets;
  }
  size_t leftoverFiles() const {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(files.path()))
      count += entry.path().filename().string().starts_with("~$");
    return count;
  }

  zrb::test::ScratchDir files;
  test::RecordingProgress progress;
};

const std::vector<uint8_t> kErased(0x100, 0xFF);

// ---- Card to file --------------------------------------------------------------------

TEST_F(FileCommands, CardToFileReadsInBlocksAndWritesTheRange) {
  const std::vector<uint8_t> card = counting(0x20000);
  insertAndBind(CardTemplate::Sram, withImage(std::nullopt, binaryFile("card.bin", card)));
  CommandContext c = context();
  const std::string target = (files / "out.bin").string();

  EXPECT_EQ(cardToFile(c, {0x1000, 0x18000, target, kBinary}), R_SUCCESS);
  EXPECT_EQ(lengthsOf(FN_READ), (std::vector<uint32_t>{0x10000, 0x8000}));
  EXPECT_EQ(progress.maximum, 1u);
  EXPECT_EQ(progress.steps, 2);
  EXPECT_EQ(progress.caption, text(sid::kCaptionCardToFile));
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00001000", "00011000"}));
  EXPECT_EQ(progress.closes, 1);
  // A binary file counts its addresses from the first byte it was given.
  EXPECT_EQ(contents(target), std::string(card.begin() + 0x1000, card.begin() + 0x19000));
  EXPECT_EQ(leftoverFiles(), 0u);
}

TEST_F(FileCommands, CardToFileWritesAHexFileThatReadsBackIntoTheCard) {
  const std::vector<uint8_t> card = counting(0x300);
  insert(CardTemplate::Sram, withImage(std::nullopt, binaryFile("card.bin", card)));
  insert(CardTemplate::Sram);
  bind();
  CommandContext c = context();
  const std::string target = (files / "dump.hex").string();
  ASSERT_EQ(cardToFile(c, {0x100, 0x200, target, 5}), R_SUCCESS);  // type by extension
  EXPECT_NE(contents(target).find(":10010000"), std::string::npos);
  // Back onto a blank card: the bytes return to their addresses.
  CommandContext second{access, progress, messages, imageFileApi(), CommandArea{1, 0, 0, 0, 0, 0}};
  EXPECT_EQ(fileToCard(second, {0, 0x1000, target, 5, 0}), R_SUCCESS);
  EXPECT_EQ(image(1, 0x100, 0x200), std::vector<uint8_t>(card.begin() + 0x100, card.end()));
  EXPECT_EQ(image(1, 0, 0x100), kErased);
}

TEST_F(FileCommands, CardToFileThatFailsOrStopsLeavesTheOldFile) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::string target = binaryFile("keep.s19", {'o', 'l', 'd'});

  // A put refused: 16-bit S-records end at 0xFFFF.
  EXPECT_EQ(cardToFile(c, {0xFF00, 0x200, target, kS19}), R_FILE_ERROR);
  EXPECT_EQ(contents(target), "old");
  EXPECT_EQ(progress.closes, 1);

  // A card read failing in the second block.
  faults.fault = [](uint32_t code, const SlotRequest& request, void*) -> std::optional<int32_t> {
    if (code == FN_READ && request.offset >= 0x10000) return CS_READ_ERROR;
    return std::nullopt;
  };
  EXPECT_EQ(cardToFile(c, {0, 0x20000, target, kBinary}), CS_READ_ERROR);
  EXPECT_EQ(contents(target), "old");
  faults.fault = nullptr;

  // Stop after the first block.
  progress.onStep = [](int) { return false; };
  EXPECT_EQ(cardToFile(c, {0, 0x20000, target, kBinary}), R_STOPPED);
  EXPECT_EQ(contents(target), "old");
  EXPECT_EQ(progress.closes, 3);
  EXPECT_EQ(leftoverFiles(), 0u);

  // A file that cannot be made at all.
  EXPECT_EQ(cardToFile(c, {0, 0x100, (files / "no-folder" / "x.bin").string(), kBinary}), R_FILE_ERROR);
}

TEST(TemporaryPath, KeepsFolderAndExtension) {
  EXPECT_EQ(temporaryPathFor("C:\\data.v1\\dump.hex"), "C:\\data.v1\\~$dump.hex");
  EXPECT_EQ(temporaryPathFor("/tmp/a.b/plain"), "/tmp/a.b/~$plain");
  EXPECT_EQ(temporaryPathFor("dump.s19"), "~$dump.s19");
}

// ---- File to card --------------------------------------------------------------------

TEST_F(FileCommands, FileToCardPlacesTheFileDataAtItsAddresses) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::vector<uint8_t> data = counting(0x80);
  const std::string file = hexFile("at100.hex", {{0x100, data}});

  EXPECT_EQ(fileToCard(c, {0, 0x1000, file, kIntelHex, 0}), R_SUCCESS);
  EXPECT_EQ(offsetsOf(FN_WRITE), (std::vector<uint32_t>{0x100}));
  EXPECT_EQ(image(0, 0x100, 0x80), data);
  EXPECT_EQ(image(0, 0, 0x100), kErased);
  EXPECT_EQ(progress.caption, text(sid::kCaptionFileToCard));
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00000100"}));
  EXPECT_EQ(progress.closes, 1);
}

TEST_F(FileCommands, FileToCardEndsWith7AtDataOutsideTheRangeAfterWritingWhatIsInside) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::vector<uint8_t> first = counting(0x80, 1), second = counting(0x80, 2);

  // Moved down by 0x100: the second run lands below the start.
  const std::string twoRuns = hexFile("two.hex", {{0x200, first}, {0x000, second}});
  EXPECT_EQ(fileToCard(c, {0, 0x1000, twoRuns, kIntelHex, -0x100}), CS_BAD_OFFSET);
  EXPECT_EQ(image(0, 0x100, 0x80), first);
  EXPECT_EQ(offsetsOf(FN_WRITE), (std::vector<uint32_t>{0x100}));

  // A run that crosses the end: its part inside is written.
  const std::vector<uint8_t> across = counting(0x100, 3);
  const std::string crossing = hexFile("crossing.hex", {{0xF80, across}});
  EXPECT_EQ(fileToCard(c, {0x800, 0x800, crossing, kIntelHex, 0}), CS_BAD_OFFSET);
  EXPECT_EQ(image(0, 0xF80, 0x80), std::vector<uint8_t>(across.begin(), across.begin() + 0x80));
  EXPECT_EQ(image(0, 0x1000, 0x80), std::vector<uint8_t>(0x80, 0xFF));
}

TEST_F(FileCommands, BinaryFileLongerThanTheRangeFillsExactlyTheRangeWhenOffsetByItsStart) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::vector<uint8_t> data = counting(0x3000);
  const std::string file = binaryFile("long.bin", data);

  EXPECT_EQ(fileToCard(c, {0x1000, 0x1000, file, kBinary, 0x1000}), R_SUCCESS);
  EXPECT_EQ(image(0, 0x1000, 0x1000), std::vector<uint8_t>(data.begin(), data.begin() + 0x1000));
  EXPECT_EQ(image(0, 0x2000, 0x100), kErased);
  EXPECT_EQ(image(0, 0xF00, 0x100), kErased);

  // Without the offset its first byte lies below the range: nothing is written.
  manager.calls.clear();
  EXPECT_EQ(fileToCard(c, {0x1000, 0x1000, file, kBinary, 0}), CS_BAD_OFFSET);
  EXPECT_TRUE(manager.callsOf(FN_WRITE).empty());
}

TEST_F(FileCommands, FileToCardWritesEepromIn512ByteBlocks) {
  insertAndBind(CardTemplate::Eeprom);
  CommandContext c = context(1);
  const std::vector<uint8_t> data = counting(0x500);
  EXPECT_EQ(fileToCard(c, {0, 0x2000, binaryFile("e.bin", data), kBinary, 0}), R_SUCCESS);
  EXPECT_EQ(lengthsOf(FN_WRITE), (std::vector<uint32_t>{0x200, 0x200, 0x100}));
  EXPECT_EQ(progress.maximum, 16u);
  EXPECT_EQ(image(0, 0, 0x500), data);
}

TEST_F(FileCommands, FileToCardFlushesAnAtaCard) {
  insert(CardTemplate::Ata);
  insert(CardTemplate::Sram);
  bind();
  CommandContext c = context(8);
  EXPECT_EQ(fileToCard(c, {0, 0x10000, binaryFile("a.bin", counting(0x400)), kBinary, 0}), R_SUCCESS);
  EXPECT_EQ(countOf(FN_FLUSH), 1u);
  // A flush that fails: the data did not all reach the card.
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    if (code == FN_FLUSH) return CS_WRITE_ERROR;
    return std::nullopt;
  };
  EXPECT_EQ(fileToCard(c, {0, 0x10000, binaryFile("b.bin", counting(0x400)), kBinary, 0}), CS_WRITE_ERROR);
  faults.fault = nullptr;

  // Not any other card.
  CommandContext sram{access, progress, messages, imageFileApi(), CommandArea{1, 0, 0, 0, 0, 0}};
  EXPECT_EQ(fileToCard(sram, {0, 0x10000, binaryFile("s.bin", counting(0x400)), kBinary, 0}), R_SUCCESS);
  EXPECT_EQ(countOf(FN_FLUSH), 2u);
}

// Flash only clears bits when written: the card service reports the write as
// done, and the compare that the write dialog offers after it is what shows
// that the card does not hold the file.
TEST_F(FileCommands, FlashWrittenWithoutErasingDoesNotHoldTheFile) {
  insertAndBind(CardTemplate::Flash28F008,
                withImage(std::nullopt, binaryFile("old.bin", std::vector<uint8_t>(0x1000, 0x0F))));
  CommandContext c = context(3);
  const std::vector<uint8_t> data = counting(0x1000);
  const std::string file = binaryFile("data.bin", data);
  ASSERT_EQ(fileToCard(c, {0, 0x1000, file, kBinary, 0}), R_SUCCESS);
  std::vector<uint8_t> cleared(data);
  for (uint8_t& byte : cleared) byte &= 0x0F;
  EXPECT_EQ(image(0, 0, 0x1000), cleared);

  messages.answerYes = false;
  EXPECT_EQ(compareWithFile(c, {0, 0x1000, file, kBinary, 0}), R_SUCCESS);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].find("相違が見つかりました"), 0u);
}

TEST_F(FileCommands, TruncatedTextFileIsAFileErrorNotAnEnd) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::vector<uint8_t> data = counting(0x40);
  const std::string truncated = hexFile("short.hex", {{0, data}}, false);

  EXPECT_EQ(fileToCard(c, {0, 0x1000, truncated, kIntelHex, 0}), R_FILE_ERROR);
  EXPECT_EQ(image(0, 0, 0x40), data);  // what came before the break stays written
  // The card now holds the same bytes: only the missing end tells them apart.
  EXPECT_EQ(compareWithFile(c, {0, 0x1000, truncated, kIntelHex, 0}), R_FILE_ERROR);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(progress.closes, 2);
}

TEST_F(FileCommands, StopEndsFileToCardAfterTheCurrentBlock) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::vector<uint8_t> data = counting(0x20000);
  progress.onStep = [](int) { return false; };
  EXPECT_EQ(fileToCard(c, {0, 0x20000, binaryFile("big.bin", data), kBinary, 0}), R_STOPPED);
  EXPECT_EQ(image(0, 0, 0x10000), std::vector<uint8_t>(data.begin(), data.begin() + 0x10000));
  EXPECT_EQ(image(0, 0x10000, 0x100), kErased);
  EXPECT_EQ(progress.closes, 1);
}

// Larger blocks, as the command-line tool moves them, with the file side
// running beside the card: runs that jump, a block that ends inside a run,
// and a difference found at its exact address past the first block.
TEST_F(FileCommands, LargerBlocksCarryTheSameBytesBothWaysAndFindADifference) {
  const std::vector<uint8_t> card = counting(0x50000);
  insert(CardTemplate::Sram, withImage(std::nullopt, binaryFile("card.bin", card)));
  insert(CardTemplate::Sram);
  bind();
  CommandContext from = context();
  from.block = 0x20000;
  const std::string dump = (files / "dump.s37").string();
  ASSERT_EQ(cardToFile(from, {0x100, 0x4FE00, dump, 5}), R_SUCCESS);
  EXPECT_EQ(lengthsOf(FN_READ), (std::vector<uint32_t>{0x20000, 0x20000, 0xFE00}));
  EXPECT_EQ(progress.maximum, 2u);

  CommandContext onto{access, progress, messages, imageFileApi(), CommandArea{1, 0, 0, 0, 0, 0}};
  onto.block = 0x20000;
  EXPECT_EQ(fileToCard(onto, {0, 0x50000, dump, 5, 0}), R_SUCCESS);
  EXPECT_EQ(image(1, 0, 0x100), kErased);
  EXPECT_EQ(image(1, 0x100, 0x4FE00), std::vector<uint8_t>(card.begin() + 0x100, card.begin() + 0x4FF00));
  EXPECT_EQ(image(1, 0x4FF00, 0x100), kErased);

  const std::vector<uint8_t> first = counting(0x300, 5), second = counting(0x80, 6);
  const std::string gaps = hexFile("gaps.hex", {{0x8000, first}, {0x200, second}});
  manager.calls.clear();
  EXPECT_EQ(fileToCard(onto, {0, 0x50000, gaps, kIntelHex, 0}), R_SUCCESS);
  EXPECT_EQ(offsetsOf(FN_WRITE), (std::vector<uint32_t>{0x8000, 0x200}));
  EXPECT_EQ(image(1, 0x8000, 0x300), first);
  EXPECT_EQ(image(1, 0x200, 0x80), second);

  std::vector<uint8_t> changed(card);
  changed[0x3ABCD] ^= 0x40;
  messages.answerYes = true;
  EXPECT_EQ(compareWithFile(from, {0, 0x50000, binaryFile("changed.bin", changed), kBinary, 0}), R_SUCCESS);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("Address=003ABCD CARD="), std::string::npos) << messages.shown[0];
}

// ---- Compare with file ---------------------------------------------------------------

TEST_F(FileCommands, CompareAsksAtEachDifferenceAndTellsOnlyOfACleanComparison) {
  std::vector<uint8_t> card = counting(0x20000);
  insertAndBind(CardTemplate::Sram, withImage(std::nullopt, binaryFile("card.bin", card)));
  CommandContext c = context();
  const std::string same = binaryFile("same.bin", card);

  EXPECT_EQ(compareWithFile(c, {0, 0x20000, same, kBinary, 0}), R_SUCCESS);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{std::string(text(sid::kNoDifference))}));
  EXPECT_EQ(progress.caption, text(sid::kCaptionComparing));
  EXPECT_EQ(progress.steps, 2);

  std::vector<uint8_t> changed = card;
  changed[0x10005] = 0x11;
  changed[0x10007] = 0x22;
  const std::string other = binaryFile("other.bin", changed);

  // No at the first difference: nothing more is said.
  messages.shown.clear();
  messages.answerYes = false;
  EXPECT_EQ(compareWithFile(c, {0, 0x20000, other, kBinary, 0}), R_SUCCESS);
  char expected[128];
  std::snprintf(expected, sizeof expected,
                "相違が見つかりました \rAddress=0010005 CARD=%02X  FILE=11\r続けますか？", card[0x10005]);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{expected}));

  // Yes to both: the comparison goes to its end, but it did find differences.
  messages.shown.clear();
  messages.answerYes = true;
  EXPECT_EQ(compareWithFile(c, {0, 0x20000, other, kBinary, 0}), R_SUCCESS);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_NE(messages.shown[1].find("Address=0010007"), std::string::npos);
}

TEST_F(FileCommands, CompareEndingEarlySaysNothingOfDifferences) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::string erased = binaryFile("ff.bin", std::vector<uint8_t>(0x20000, 0xFF));

  // Data beyond the range.
  EXPECT_EQ(compareWithFile(c, {0, 0x100, hexFile("beyond.hex", {{0x200, counting(0x10)}}), kIntelHex, 0}),
            CS_BAD_OFFSET);
  // A stop.
  progress.onStep = [](int) { return false; };
  EXPECT_EQ(compareWithFile(c, {0, 0x20000, erased, kBinary, 0}), R_STOPPED);
  progress.onStep = nullptr;
  // A card error.
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_READ ? std::optional<int32_t>(CS_READ_ERROR) : std::nullopt;
  };
  EXPECT_EQ(compareWithFile(c, {0, 0x20000, erased, kBinary, 0}), CS_READ_ERROR);
  // A file that is not there.
  EXPECT_EQ(compareWithFile(c, {0, 0x20000, (files / "missing.bin").string(), kBinary, 0}), R_FILE_ERROR);

  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(progress.closes, 3);
}

// ---- A card taken out mid-command ----------------------------------------------------

TEST_F(FileCommands, CardRemovedDuringACommandStopsBeforeTheNextBlock) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  const std::string target = binaryFile("kept.bin", {'o', 'l', 'd'});
  progress.onStep = [this](int) {
    removeCardNow();
    return true;
  };
  EXPECT_EQ(cardToFile(c, {0, 0x30000, target, kBinary}), R_CARD_REMOVED);
  EXPECT_EQ(countOf(FN_READ), 1u);
  EXPECT_EQ(contents(target), "old");
  EXPECT_EQ(leftoverFiles(), 0u);
}

TEST_F(FileCommands, FileToCardOnAnAtaCardTakenOutStopsWithoutAFlush) {
  insertAndBind(CardTemplate::Ata);
  CommandContext c = context(8);
  progress.onStep = [this](int) {
    removeCardNow();
    return true;
  };
  EXPECT_EQ(fileToCard(c, {0, 0x30000, binaryFile("d.bin", counting(0x30000)), kBinary, 0}), R_CARD_REMOVED);
  EXPECT_EQ(countOf(FN_WRITE), 1u);
  EXPECT_EQ(countOf(FN_FLUSH), 0u);
}

TEST_F(FileCommands, CardCallFindingNoCardReportsTheRemoval) {
  insertAndBind(CardTemplate::Sram);
  CommandContext c = context();
  faults.fault = [](uint32_t code, const SlotRequest&, void*) -> std::optional<int32_t> {
    return code == FN_READ ? std::optional<int32_t>(CS_NO_CARD) : std::nullopt;
  };
  EXPECT_EQ(compareWithFile(c, {0, 0x100, binaryFile("x.bin", counting(0x100)), kBinary, 0}), R_CARD_REMOVED);
  EXPECT_TRUE(messages.shown.empty());
}

// ---- Round trips with another tool -------------------------------------------------------
// What a card gives as Intel HEX or S37 must read the same in srec_cat, and
// what srec_cat writes must land on the card byte for byte: the files are
// for other programmers and tools, not only for this program.

class FileCommandsWithSrecCat : public FileCommands {
 protected:
  void SetUp() override {
    if (std::system("srec_cat -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed";
  }
  int srecCat(const std::string& arguments) {
    return std::system(("srec_cat " + arguments + " 2>&1").c_str());
  }
};

TEST_F(FileCommandsWithSrecCat, CardFilesReadTheSameInSrecCatAndItsFilesLandOnTheCard) {
  const std::vector<uint8_t> card = counting(0x30000, 3);
  insert(CardTemplate::Sram, withImage(std::nullopt, binaryFile("card.bin", card)));
  insert(CardTemplate::Sram);
  bind();
  CommandContext c = context();
  const uint32_t start = 0x8000, length = 0x20000;  // crosses a 64 KiB boundary of the HEX addresses
  const std::vector<uint8_t> range(card.begin() + start, card.begin() + start + length);

  for (const auto& [name, format] : {std::pair{"dump.hex", "-intel"}, std::pair{"dump.s37", "-motorola"}}) {
    const std::string dump = (files / name).string(), back = (files / (std::string(name) + ".bin")).string();
    ASSERT_EQ(cardToFile(c, {start, length, dump, 5}), R_SUCCESS) << name;
    ASSERT_EQ(
        srecCat(dump + " " + format + " -offset -" + std::to_string(start) + " -o " + back + " -binary"), 0)
        << name;
    EXPECT_EQ(contents(back), std::string(range.begin(), range.end())) << name;
  }

  // srec_cat's own S37 and Intel HEX of the range, written to the second card at the same addresses.
  const std::string source = binaryFile("range.bin", range);
  CommandContext second{access, progress, messages, imageFileApi(), CommandArea{1, 0, 0, 0, 0, 0}};
  // With an execution start address srec_cat ends the S-records with their
  // termination record; without one a file reads as cut short (257).
  for (const auto& [name, format] :
       {std::pair{"tool.s37", "-motorola -address-length=4 -execution-start-address=0"},
        std::pair{"tool.hex", "-intel"}}) {
    const std::string made = (files / name).string();
    ASSERT_EQ(srecCat(source + " -binary -offset " + std::to_string(start) + " -o " + made + " " + format), 0)
        << name;
    EXPECT_EQ(fileToCard(second, {0, 0x40000, made, 5, 0}), R_SUCCESS) << name;
    EXPECT_EQ(image(1, start, length), range) << name;
  }
}

}  // namespace
}  // namespace tessel
