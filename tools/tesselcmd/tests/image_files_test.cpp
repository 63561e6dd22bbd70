// tesselcmd's image files: files another tool (srec_cat) reads and writes,
// the conversions between formats, and the file errors that end a command
// with 4 and the library's word for them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "result_lines.h"
#include "tool_fixture.h"

namespace tesselcmd::test {
namespace {

class ToolWithSrecCat : public ToolTest {
 protected:
  void SetUp() override {
    if (std::system("srec_cat -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed";
  }
  static int srecCat(const std::string& arguments) {
    return std::system(("srec_cat " + arguments + " 2>&1").c_str());
  }
};

TEST_F(ToolWithSrecCat, FilesTheToolWritesReadTheSameInSrecCatAndItsFilesLandOnTheCard) {
  insert(CardTemplate::Sram, 0x40000);
  insert(CardTemplate::Sram, 0x40000, true);
  const uint32_t start = 0x8000, end = 0x27FFF;  // across a 64 KiB boundary of the HEX addresses
  const std::vector<uint8_t> range = bytes(end - start + 1, false, start);
  const std::string expected(range.begin(), range.end());

  for (const auto& [name, format] : {std::pair{"dump.hex", "-intel"}, std::pair{"dump.s28", "-motorola"},
                                     std::pair{"dump.s37", "-motorola"}}) {
    SCOPED_TRACE(name);
    const std::string dump = path(name), back = path(std::string(name) + ".bin");
    ASSERT_EQ(tool({"read", "1", dump, "--start", std::to_string(start), "--end", std::to_string(end)}),
              kExitSuccess)
        << err.str();
    ASSERT_EQ(
        srecCat(dump + " " + format + " -offset -" + std::to_string(start) + " -o " + back + " -binary"), 0);
    EXPECT_EQ(contents(back), expected);
  }

  const std::string source = writeFile("range.bin", range);
  for (const auto& [name, format] :
       {std::pair{"made.s37", "-motorola -address-length=4 -execution-start-address=0"},
        std::pair{"made.s28", "-motorola -address-length=3 -execution-start-address=0"},
        std::pair{"made.hex", "-intel"}}) {
    SCOPED_TRACE(name);
    const std::string made = path(name);
    ASSERT_EQ(srecCat(source + " -binary -offset " + std::to_string(start) + " -o " + made + " " + format),
              0);
    ASSERT_EQ(tool({"write", "2", made}), kExitSuccess) << err.str();
    EXPECT_EQ(card(1, start, static_cast<uint32_t>(range.size())), range);
    EXPECT_EQ(tool({"verify", "2", made}), kExitSuccess) << err.str();
    EXPECT_EQ(tool({"erase", "2"}), kExitSuccess);
  }
}

TEST_F(ToolWithSrecCat, ConvertGivesWhatSrecCatGives) {
  const std::vector<uint8_t> data = bytes(0x12345);
  const std::string source = writeFile("data.bin", data);
  ASSERT_EQ(tool({"convert", source, path("data.hex")}), kExitSuccess) << err.str();
  ASSERT_EQ(tool({"convert", path("data.hex"), path("data.s37")}), kExitSuccess) << err.str();
  ASSERT_EQ(tool({"convert", path("data.s37"), path("data.out"), "--to", "bin"}), kExitSuccess) << err.str();
  EXPECT_EQ(contents(path("data.out")), std::string(data.begin(), data.end()));
  ASSERT_EQ(srecCat(path("data.s37") + " -motorola -o " + path("srec.bin") + " -binary"), 0);
  EXPECT_EQ(contents(path("srec.bin")), std::string(data.begin(), data.end()));
}

TEST_F(ToolTest, FileErrorsExitWithFourAndLeaveFilesAndCardsAlone) {
  insert(CardTemplate::Sram, 0x10000);
  io.fileErrorText = [](int32_t code) { return "library text " + std::to_string(code); };
  const std::string missing = path("missing.hex");
  EXPECT_EQ(tool({"write", "1", missing}), kExitFile);
  EXPECT_EQ(err.str(), "tesselcmd: file error: cannot open the file in '" + missing +
                           "' (image file error 1: library text 1)\n");

  // A record with a wrong checksum on its second line: what came before it
  // reached the card, nothing after.
  const std::string broken = path("broken.hex");
  writeFile("broken.hex", {});
  {
    std::ofstream file(broken);
    file << ":0400000001020304F2\n:04000400050607080F\n:00000001FF\n";
  }
  EXPECT_EQ(tool({"write", "1", broken}), kExitFile);
  EXPECT_EQ(err.str(), "tesselcmd: file error: checksum error in '" + broken +
                           "' at line 2 (image file error 8: library text 8)\n");
  EXPECT_EQ(tool({"verify", "1", broken}), kExitFile);

  // A file cut short (no end record) is no complete file either.
  {
    std::ofstream file(path("short.hex"));
    file << ":0400000001020304F2\n";
  }
  EXPECT_EQ(tool({"verify", "1", path("short.hex")}), kExitFile);
  EXPECT_NE(err.str().find("unexpected end of file"), std::string::npos) << err.str();

  // A read into a folder that does not exist; an earlier file of a failed
  // conversion's name stays as it was.
  EXPECT_EQ(tool({"read", "1", path("no/such/folder.bin")}), kExitFile);
  EXPECT_EQ(err.str(), "tesselcmd: file error: cannot open the file in '" + path("no/such/folder.bin") +
                           "' (image file error 1: library text 1)\n");
  const std::string kept = writeFile("kept.bin", {1, 2, 3});
  EXPECT_EQ(tool({"convert", broken, kept}), kExitFile);
  EXPECT_EQ(contents(kept), "\x01\x02\x03");
  EXPECT_EQ(tool({"convert", missing, kept}), kExitFile);
  EXPECT_EQ(contents(kept), "\x01\x02\x03");
}

}  // namespace
}  // namespace tesselcmd::test
