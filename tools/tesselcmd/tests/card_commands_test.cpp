// tesselcmd's commands on virtual cards: what reaches the card, what the
// tool prints, and the exit code, for each command and each way it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "result_lines.h"
#include "tool_fixture.h"
#include "virtual/reader_state.h"

namespace tesselcmd::test {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A CRC-32 computed bit by bit, apart from the tool's table.
uint32_t crcBitwise(const std::vector<uint8_t>& data) {
  uint32_t crc = 0xFFFFFFFF;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

TEST_F(ToolTest, ListShowsEverySocketWithStatusAndRegions) {
  insert(CardTemplate::Sram, 0x40000);
  insert(CardTemplate::Flash28F008);
  readers.push_back(stack.addEmptyReader());
  ASSERT_EQ(zrb2x::virt::changeReader(readers[0], [](zrb2x::virt::ReaderState& s) { s.writeProtect = true; }),
            "");
  EXPECT_EQ(tool({"list"}), kExitSuccess) << err.str();
  const std::string listing = out.str();
  EXPECT_TRUE(has(
      listing, "socket 1  USB  card usable  write protected  battery good\n  region 0  SRAM  262144 bytes\n"))
      << listing;
  EXPECT_TRUE(has(listing, "socket 2  USB  card usable  writable")) << listing;
  EXPECT_TRUE(has(listing, "28F008")) << listing;
  EXPECT_TRUE(has(listing, "socket 3  USB  no card\n")) << listing;
  EXPECT_TRUE(err.str().empty());
}

TEST_F(ToolTest, ReadThenWriteCarriesTheRangeToAnotherCardInEveryFormat) {
  insert(CardTemplate::Sram, 0x40000);
  insert(CardTemplate::Sram, 0x40000, true);
  for (const char* name : {"part.bin", "part.hex", "part.s28", "part.s37"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(tool({"read", "1", path(name), "--start", "0x1000", "--end", "0x24FFF"}), kExitSuccess)
        << err.str();
    ASSERT_EQ(tool({"write", "2", path(name), "--start", "0x1000", "--verify"}), kExitSuccess) << err.str();
    EXPECT_EQ(card(1, 0x1000, 0x24000), bytes(0x24000, false, 0x1000));
    EXPECT_EQ(card(1, 0, 0x1000), bytes(0x1000, true));
    EXPECT_EQ(tool({"erase", "2"}), kExitSuccess) << err.str();
  }
  // A binary file has no addresses: it lands at the range start plus the offset.
  ASSERT_EQ(tool({"write", "2", path("part.bin"), "--start", "0x10000", "--offset", "0x20"}), kExitSuccess);
  EXPECT_EQ(card(1, 0x10020, 0x24000), bytes(0x24000, false, 0x1000));
  // S19 has 16-bit addresses: beyond them the file is refused, not wrapped.
  EXPECT_EQ(tool({"read", "1", path("high.s19"), "--start", "0xFF00", "--end", "0x100FF"}), kExitFile);
  EXPECT_TRUE(has(err.str(), "address overflow")) << err.str();
  EXPECT_FALSE(std::filesystem::exists(path("high.s19")));
  // The type named outright beats the extension.
  ASSERT_EQ(tool({"read", "1", path("dump.dat"), "--end", "0xFF", "--type", "hex"}), kExitSuccess);
  EXPECT_TRUE(contents(path("dump.dat")).starts_with(":10000000"));
}

TEST_F(ToolTest, VerifyReportsTheFirstDifferencesAndExitsWithOne) {
  insert(CardTemplate::Sram, 0x20000);
  std::vector<uint8_t> image = bytes(0x20000);
  const std::string same = writeFile("same.bin", image);
  EXPECT_EQ(tool({"verify", "1", same}), kExitSuccess) << err.str();
  image[0x10] ^= 0xFF;
  image[0x1ABCD] = 0x5A;
  const std::string changed = writeFile("changed.bin", image);
  EXPECT_EQ(tool({"verify", "1", changed}), kExitFindings);
  char first[96], second[96];
  std::snprintf(first, sizeof first, "tesselcmd: difference at 0x00000010: card 0x%02X, file 0x%02X\n",
                pattern(0x10), image[0x10]);
  std::snprintf(second, sizeof second, "tesselcmd: difference at 0x0001ABCD: card 0x%02X, file 0x5A\n",
                pattern(0x1ABCD));
  EXPECT_EQ(err.str(), std::string(first) + second);
  // File data before the range is refused, as the card utility refuses it.
  EXPECT_EQ(tool({"verify", "1", same, "--start", "0x100", "--offset", "-0x200"}), kExitCard);
  EXPECT_TRUE(has(err.str(), "result 7 CS_BAD_OFFSET")) << err.str();
  // Many differences: the comparison stops after the first sixteen.
  const std::string inverted = writeFile("inverted.bin", std::vector<uint8_t>(0x100, 0));
  EXPECT_EQ(tool({"verify", "1", inverted}), kExitFindings);
  EXPECT_TRUE(has(err.str(), "comparison stopped after 16 differences")) << err.str();
}

TEST_F(ToolTest, EraseBlankCheckAndFill) {
  insert(CardTemplate::Sram, 0x30000);
  EXPECT_EQ(tool({"blank-check", "1"}), kExitFindings);
  char line[64];
  std::snprintf(line, sizeof line, "tesselcmd: not blank at 0x00000000: 0x%02X\n", pattern(0));
  EXPECT_EQ(err.str(), line);

  EXPECT_EQ(tool({"erase", "1", "--start", "0x10000", "--check"}), kExitSuccess) << err.str();
  EXPECT_EQ(card(0, 0x10000, 0x20000), bytes(0x20000, true));
  EXPECT_EQ(card(0, 0xFFF0, 0x10), bytes(0x10, false, 0xFFF0));
  EXPECT_EQ(tool({"blank-check", "1", "--start", "$10000"}), kExitSuccess);

  // A pattern runs on without a seam across blocks.
  EXPECT_EQ(tool({"fill", "1", "12 34 56", "--start", "0x10001", "--end", "0x2FFFF"}), kExitSuccess)
      << err.str();
  const std::vector<uint8_t> filled = card(0, 0x10000, 0x20000);
  EXPECT_EQ(filled[0], 0xFF);
  constexpr uint8_t kPattern[] = {0x12, 0x34, 0x56};
  for (uint32_t i = 1; i < filled.size(); ++i) ASSERT_EQ(filled[i], kPattern[(i - 1) % 3]) << i;
  EXPECT_EQ(tool({"blank-check", "1", "--start", "0x10000"}), kExitFindings);
  EXPECT_EQ(err.str(), "tesselcmd: not blank at 0x00010001: 0x12\n");
  EXPECT_EQ(tool({"fill", "1", "\"AB\"", "--end", "3"}), kExitSuccess);
  EXPECT_EQ(card(0, 0, 5), (std::vector<uint8_t>{'A', 'B', 'A', 'B', pattern(4)}));
  EXPECT_EQ(tool({"fill", "1", "zz"}), kExitUsage);

  // Quoted text becomes the bytes the program's conversion gives; text it
  // cannot spell fills nothing rather than a stand-in character.
  io.toShiftJis = [](std::string_view text) -> std::optional<std::string> {
    if (text.find("\xE2\x82\xAC") != std::string_view::npos) return std::nullopt;  // the euro sign
    std::string spelled(text);
    std::replace(spelled.begin(), spelled.end(), 'C', '\xB6');
    return spelled;
  };
  EXPECT_EQ(tool({"fill", "1", "\"CD\"", "--end", "3"}), kExitSuccess) << err.str();
  EXPECT_EQ(card(0, 0, 4), (std::vector<uint8_t>{0xB6, 'D', 0xB6, 'D'}));
  EXPECT_EQ(tool({"fill", "1", "\"C\xE2\x82\xAC\"", "--end", "3"}), kExitUsage);
  EXPECT_TRUE(err.str().find("Shift-JIS") != std::string::npos) << err.str();
  EXPECT_EQ(card(0, 0, 4), (std::vector<uint8_t>{0xB6, 'D', 0xB6, 'D'}));
  EXPECT_EQ(tool({"fill", "1", "43 44", "--end", "1"}), kExitSuccess) << "hexadecimal bytes are not text";
  EXPECT_EQ(card(0, 0, 2), (std::vector<uint8_t>{0x43, 0x44}));
}

TEST_F(ToolTest, FlashAndAtaCardsTakeTheirOwnRules) {
  insert(CardTemplate::Flash29F040);
  insert(CardTemplate::Ata, 0x100000);
  const std::vector<uint8_t> data = bytes(0x18000, false, 0x77);
  const std::string file = writeFile("data.bin", data);
  // Flash: erased by its erase block, then programmed.
  EXPECT_EQ(tool({"erase", "1", "--check"}), kExitSuccess) << err.str();
  EXPECT_EQ(tool({"write", "1", file, "--start", "0x8000", "--verify"}), kExitSuccess) << err.str();
  EXPECT_EQ(tool({"checksum", "1", "--start", "0x8000", "--end", "0x1FFFF"}), kExitSuccess);
  char sums[64];
  uint16_t sum = 0;
  for (uint8_t b : data) sum = static_cast<uint16_t>(sum + b);
  std::snprintf(sums, sizeof sums, "crc32 0x%08X  sum16 0x%04X\n", crcBitwise(data), sum);
  EXPECT_EQ(out.str(), sums);
  // ATA: written in sectors and flushed; read back the same.
  EXPECT_EQ(tool({"write", "2", file, "--start", "0x200"}), kExitSuccess) << err.str();
  EXPECT_EQ(tool({"read", "2", path("back.bin"), "--start", "0x200", "--end", "0x181FF"}), kExitSuccess);
  EXPECT_EQ(contents(path("back.bin")), std::string(data.begin(), data.end()));
  EXPECT_EQ(tool({"checksum", "2", "--start", "0x200", "--end", "0x181FF"}), kExitSuccess);
  EXPECT_EQ(out.str(), sums);
}

TEST_F(ToolTest, CisAsTextAndAsBytes) {
  insert(CardTemplate::Sram, 0x10000);
  insert(CardTemplate::Blank);
  ASSERT_EQ(tool({"cis", "1"}), kExitSuccess) << err.str();
  EXPECT_TRUE(has(out.str(), "VIRTUAL MEMORY CARD")) << out.str();
  EXPECT_FALSE(has(out.str(), "\r"));
  // Each description, and only that, goes through the Windows program's
  // Shift-JIS conversion: the raw bytes and the messages are UTF-8 already.
  const std::string described = out.str();
  io.fromShiftJis = [](std::string_view sjis) { return "<" + std::string(sjis) + ">"; };
  ASSERT_EQ(tool({"cis", "1"}), kExitSuccess);
  std::string unwrapped = out.str();
  EXPECT_TRUE(unwrapped.starts_with("<")) << unwrapped;
  EXPECT_EQ(std::count(unwrapped.begin(), unwrapped.end(), '<'), 2) << unwrapped;  // two tuples
  std::erase(unwrapped, '<');
  std::erase(unwrapped, '>');
  EXPECT_EQ(unwrapped, described);
  ASSERT_EQ(tool({"cis", "1", "--raw"}), kExitSuccess);
  // The device information tuple first, at address 0, then the version strings.
  EXPECT_TRUE(out.str().starts_with("00000000  01 ")) << out.str();
  EXPECT_TRUE(has(out.str(), "  15 ")) << out.str();
  // The same bytes through attribute memory, where only even addresses carry them.
  ASSERT_EQ(tool({"read", "1:attribute", path("attribute.bin"), "--end", "3"}), kExitSuccess) << err.str();
  EXPECT_EQ(contents(path("attribute.bin"))[0], '\x01');
  EXPECT_EQ(tool({"cis", "2"}), kExitSuccess);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "tesselcmd: the card in socket 2 has no CIS\n");
}

TEST_F(ToolTest, CardErrorsExitWithThreeAndNameTheResult) {
  insert(CardTemplate::Sram, 0x10000);
  readers.push_back(stack.addEmptyReader());
  const std::string file = writeFile("one.bin", bytes(0x100));
  EXPECT_EQ(tool({"read", "3", path("x.bin")}), kExitCard);
  EXPECT_EQ(err.str(), "tesselcmd: card error: " + cardResultLine(11) + "\n");
  EXPECT_EQ(tool({"erase", "2"}), kExitCard);
  EXPECT_TRUE(has(err.str(), "result 20 CS_NO_CARD")) << err.str();
  EXPECT_EQ(tool({"cis", "2"}), kExitCard);
  EXPECT_EQ(tool({"checksum", "1:2"}), kExitCard);
  EXPECT_TRUE(has(err.str(), "result 259 R_NO_DEVICE")) << err.str();

  // Write protect: nothing changes, and no file is left behind by a read.
  ASSERT_EQ(zrb2x::virt::changeReader(readers[0], [](zrb2x::virt::ReaderState& s) { s.writeProtect = true; }),
            "");
  for (auto arguments : {std::initializer_list<std::string>{"write", "1", file},
                         std::initializer_list<std::string>{"erase", "1"},
                         std::initializer_list<std::string>{"fill", "1", "00"}}) {
    EXPECT_EQ(tool(arguments), kExitCard);
    EXPECT_EQ(err.str(), "tesselcmd: card error: " + cardResultLine(26) + "\n");
  }
  EXPECT_EQ(card(0, 0, 0x10000), bytes(0x10000));
  EXPECT_EQ(tool({"verify", "1", file}), kExitSuccess);  // reading is allowed
}

// A card manager that does not load (no library, or a wrong one) cannot be
// provoked with the in-process stack: a stand-in refuses to bind.
class UnloadableManager final : public cardservice::BindableCardManager {
 public:
  int32_t bind() override { return cardservice::CS_DEVICE_FAILURE; }
  void unbind() override {}
  int32_t veskcm(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*) override { return 0; }
  int32_t service(uint32_t, const cardservice::SlotRequest*, void*, uint32_t) override { return 0; }
};

TEST_F(ToolTest, ACardManagerThatCannotBeBoundIsACardError) {
  UnloadableManager unloadable;
  ToolIo noManager{out, err, false, unloadable, imageFileApi(), {}, {}, {}};
  const std::vector<std::string> arguments{"list"};
  EXPECT_EQ(run(arguments, noManager), kExitCard);
  EXPECT_EQ(err.str(), "tesselcmd: card error: the card manager cannot be used\n");
}

TEST_F(ToolTest, UsageErrorsExitWithTwoBeforeTouchingTheCard) {
  insert(CardTemplate::Sram, 0x10000);
  EXPECT_EQ(tool({"frobnicate"}), kExitUsage);
  EXPECT_EQ(err.str(), "tesselcmd: unknown command 'frobnicate' (tesselcmd --help lists the commands)\n");
  EXPECT_EQ(tool({}), kExitUsage);
  EXPECT_EQ(tool({"erase", "1", "--start", "0x1O"}), kExitUsage);
  EXPECT_EQ(tool({"erase", "1:attribute:1"}), kExitUsage);
  EXPECT_EQ(tool({"erase", "1", "--end", "0x10000"}), kExitUsage);
  EXPECT_TRUE(has(err.str(), "does not lie within the area")) << err.str();
  EXPECT_EQ(tool({"erase", "1", "--start", "0x200", "--end", "0x100"}), kExitUsage);
  EXPECT_EQ(card(0, 0, 0x10000), bytes(0x10000));

  EXPECT_EQ(tool({"--help"}), kExitSuccess);
  EXPECT_TRUE(has(out.str(), "blank-check")) << out.str();
  EXPECT_EQ(tool({"write", "--help"}), kExitSuccess);
  EXPECT_TRUE(out.str().starts_with("usage: tesselcmd write AREA FILE")) << out.str();
}

TEST_F(ToolTest, ProgressOnlyOnAConsoleAndNotWhenQuiet) {
  insert(CardTemplate::Sram, 0x40000);
  io.errIsConsole = true;
  EXPECT_EQ(tool({"read", "1", path("a.bin")}), kExitSuccess);
  EXPECT_TRUE(has(err.str(), "read 100%")) << err.str();
  EXPECT_TRUE(has(err.str(), "MB/s")) << err.str();
  EXPECT_EQ(tool({"read", "1", path("a.bin"), "--quiet"}), kExitSuccess);
  EXPECT_EQ(err.str(), "");
  io.errIsConsole = false;
  EXPECT_EQ(tool({"read", "1", path("a.bin")}), kExitSuccess);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tesselcmd::test
