// The control tool's command lines, as scripts rely on them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scratch_dir.h"
#include "virtual/reader_state.h"
#include "virtual/virtual_command.h"
#include "zrb2xvirt_commands.h"

namespace {

struct Outcome {
  int code;
  std::string out, err;
};

Outcome run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = zrb2xvirt::run(args, out, err);
  return {code, out.str(), err.str()};
}

class Zrb2xvirtTest : public ::testing::Test {
 protected:
  std::string dir() const { return (scratch_.path() / "reader").string(); }
  zrb2x::virt::ReaderState state() { return *zrb2x::virt::loadReaderState(dir()); }
  zrb::test::ScratchDir scratch_;
};

TEST_F(Zrb2xvirtTest, HelpExplainsEveryCommandAndTemplate) {
  const Outcome help = run({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* word : {"create",       "insert",     "remove",    "protect", "battery",   "ready",
                           "fault",        "throughput", "lock-wait", "show",    "templates", "ZRB2X_VIRTUAL",
                           "--image",      "--cis",      "--size",    "sram",    "eeprom",    "flash-28f008",
                           "flash-29f040", "two-region", "ata",       "blank"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST_F(Zrb2xvirtTest, CreateInsertAndChangeAReader) {
  ASSERT_EQ(run({"create", dir(), "--product", "ZRB-22H", "--revision", "1.90"}).code, 0);
  EXPECT_FALSE(state().cardPresent);
  ASSERT_EQ(run({"insert", dir(), "flash-29f040", "--size", "2M"}).code, 0);
  auto s = state();
  EXPECT_TRUE(s.cardPresent);
  EXPECT_TRUE(s.attentionPending);
  EXPECT_EQ(s.product, "ZRB-22H");
  EXPECT_EQ(s.commonSize(), 0x200000u);
  ASSERT_EQ(run({"protect", dir(), "on"}).code, 0);
  ASSERT_EQ(run({"battery", dir(), "low"}).code, 0);
  ASSERT_EQ(run({"fault", dir(), "fail-after", "3", "--result", "0x11000003"}).code, 0);
  ASSERT_EQ(run({"fault", dir(), "pull-after", "9"}).code, 0);
  ASSERT_EQ(run({"throughput", dir(), "30M"}).code, 0);
  s = state();
  EXPECT_TRUE(s.writeProtect);
  EXPECT_EQ(s.battery, zrb2x::virt::Battery::Low);
  EXPECT_EQ(s.failAfter, 3u);
  EXPECT_EQ(s.failResult, 0x11000003u);
  EXPECT_EQ(s.pullAfter, 9u);
  EXPECT_EQ(s.throughput, 30u * 1024 * 1024);
  const Outcome shown = run({"show", dir()});
  EXPECT_EQ(shown.code, 0);
  EXPECT_NE(shown.out.find("card = present"), std::string::npos);
  ASSERT_EQ(run({"remove", dir()}).code, 0);
  EXPECT_FALSE(state().cardPresent);
}

TEST_F(Zrb2xvirtTest, ImageAndCisFillTheCardsMemories) {
  const auto image = scratch_.path() / "image.bin", cis = scratch_.path() / "cis.bin";
  std::ofstream(image, std::ios::binary) << "HELLO";
  std::ofstream(cis, std::ios::binary) << std::string("\x01\x02\xAB\xCD\xFF", 5);
  ASSERT_EQ(run({"create", dir()}).code, 0);
  ASSERT_EQ(run({"insert", dir(), "sram", "--image", image.string(), "--cis", cis.string()}).code, 0);
  std::ifstream common(scratch_.path() / "reader" / "common.img", std::ios::binary);
  std::string head(6, '\0');
  common.read(head.data(), 6);
  EXPECT_EQ(head, std::string("HELLO\xFF", 6));
  std::ifstream attribute(scratch_.path() / "reader" / "attribute.img", std::ios::binary);
  std::string even(6, '\0');
  attribute.read(even.data(), 6);
  EXPECT_EQ(even, std::string("\x01\x00\x02\x00\xAB\x00", 6));
}

TEST_F(Zrb2xvirtTest, ImagesLargerThanTheCardAreRefusedByTheirSize) {
  // One byte more than a 4096-byte card, and a CIS one byte over half the
  // attribute memory: refused, and the reader keeps its empty slot.
  const auto image = scratch_.path() / "image.bin", cis = scratch_.path() / "cis.bin";
  std::ofstream(image, std::ios::binary) << std::string(4097, 'x');
  std::ofstream(cis, std::ios::binary) << std::string(4097, '\xFF');
  ASSERT_EQ(run({"create", dir()}).code, 0);
  const Outcome big = run({"insert", dir(), "sram", "--size", "4096", "--image", image.string()});
  EXPECT_EQ(big.code, 1);
  EXPECT_NE(big.err.find("larger than the card"), std::string::npos) << big.err;
  const Outcome bigCis = run({"insert", dir(), "sram", "--cis", cis.string()});
  EXPECT_EQ(bigCis.code, 1);
  EXPECT_NE(bigCis.err.find("larger than the attribute memory"), std::string::npos) << bigCis.err;
  EXPECT_EQ(run({"insert", dir(), "sram", "--image", (scratch_.path() / "missing.bin").string()}).code, 1);
  EXPECT_FALSE(state().cardPresent);
  // Exactly the card's size fills it.
  std::filesystem::resize_file(image, 4096);
  EXPECT_EQ(run({"insert", dir(), "sram", "--size", "4096", "--image", image.string()}).code, 0);
}

TEST_F(Zrb2xvirtTest, BadCommandLinesAreRefusedWithoutTouchingTheReader) {
  ASSERT_EQ(run({"create", dir()}).code, 0);
  EXPECT_EQ(run({}).code, 2);
  EXPECT_EQ(run({"insert", dir(), "no-such-card"}).code, 2);
  EXPECT_EQ(run({"insert", dir(), "sram", "--size", "12x"}).code, 2);
  EXPECT_EQ(run({"insert", dir(), "ata", "--size", "1000"}).code, 1);  // not whole sectors
  EXPECT_EQ(run({"protect", dir(), "maybe"}).code, 2);
  EXPECT_EQ(run({"battery", dir(), "empty"}).code, 2);
  EXPECT_EQ(run({"create", dir(), "--product", "ZRB-99"}).code, 1);
  EXPECT_EQ(run({"create", dir()}).code, 1);  // already there
  EXPECT_EQ(run({"show", (scratch_.path() / "nothing").string()}).code, 1);
  EXPECT_FALSE(state().cardPresent);
}

}  // namespace
