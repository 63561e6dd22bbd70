// The handle: type selection, directions, sticky errors, stream queries and
// failures of the underlying stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

namespace {

class Handle : public ::testing::Test {
 protected:
  zrb::test::ScratchDir dir;
  HexoHandle handle{};

  std::string pathOf(const std::string& name) { return (dir / name).string(); }
};

TEST(TypeFromPath, LastDotOfThePathDecidesWithoutRegardToCase) {
  EXPECT_EQ(hexo::typeFromPath("C:\\cards\\IMAGE.hex"), hexo::TYPE_INTEL_HEX);
  EXPECT_EQ(hexo::typeFromPath("image.S19"), hexo::TYPE_S19);
  EXPECT_EQ(hexo::typeFromPath("image.s28"), hexo::TYPE_S28);
  EXPECT_EQ(hexo::typeFromPath("image.S37"), hexo::TYPE_S37);
  EXPECT_EQ(hexo::typeFromPath("image.hex.bak"), hexo::TYPE_BINARY);
  EXPECT_EQ(hexo::typeFromPath("image.hexx"), hexo::TYPE_BINARY);
  EXPECT_EQ(hexo::typeFromPath("dir.hex/image"), hexo::TYPE_BINARY);  // only "." in a folder name
  EXPECT_EQ(hexo::typeFromPath("image"), hexo::TYPE_BINARY);
}

TEST_F(Handle, TypeOutsideTheTableIsChosenByExtension) {
  for (int32_t type : {-1, 5, 7}) {
    ASSERT_EQ(hexo::open(handle, pathOf("IMAGE.hex").c_str(), 'w', type), 0);
    EXPECT_EQ(hexo::type(handle), hexo::TYPE_INTEL_HEX) << type;
    EXPECT_EQ(hexo::close(handle), 0);
  }
  ASSERT_EQ(hexo::open(handle, pathOf("IMAGE.hex").c_str(), 'w', hexo::TYPE_S37), 0);
  EXPECT_EQ(hexo::type(handle), hexo::TYPE_S37);
  EXPECT_STREQ(hexo::path(handle), pathOf("IMAGE.hex").c_str());
  hexo::close(handle);
}

TEST_F(Handle, OnlyLowerCaseWOpensForWriting) {
  hexo::test::writeFile(dir / "a.bin", "x");
  ASSERT_EQ(hexo::open(handle, pathOf("a.bin").c_str(), 'W', -1), 0);
  EXPECT_EQ(handle.mode, 'r');
  EXPECT_EQ(hexo::putByte(handle, 0, 1), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ACCESS_MODE);
  hexo::close(handle);
  EXPECT_EQ(hexo::test::readFile(dir / "a.bin"), "x");
}

TEST_F(Handle, FailedOpenSetsErrorOneAndKeepsTheRest) {
  ASSERT_EQ(hexo::open(handle, pathOf("a.s19").c_str(), 'w', -1), 0);
  ASSERT_EQ(hexo::close(handle), 0);
  handle.line = 5;
  EXPECT_EQ(hexo::open(handle, pathOf("missing/b.hex").c_str(), 'r', -1), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_OPEN);
  EXPECT_EQ(hexo::type(handle), hexo::TYPE_S19);
  EXPECT_EQ(handle.mode, 'w');
  EXPECT_EQ(handle.line, 0);
  EXPECT_EQ(handle.getOp, nullptr);
}

// A new file and an existing one are opened differently for writing; either
// way the file holds exactly what was put, and the new one can be written
// again (it was not made read-only).
TEST_F(Handle, WritingMakesANewFileAndReplacesAllOfAnOldOne) {
  const std::vector<hexo::test::Cell> longer = {{0, 1}, {1, 2}, {2, 3}, {3, 4}};
  ASSERT_EQ(hexo::test::writeImage(dir / "a.bin", hexo::TYPE_BINARY, longer), 0);
  EXPECT_EQ(hexo::test::readFile(dir / "a.bin"), std::string("\x01\x02\x03\x04"));
  ASSERT_EQ(hexo::test::writeImage(dir / "a.bin", hexo::TYPE_BINARY, {{0, 9}}), 0);
  EXPECT_EQ(hexo::test::readFile(dir / "a.bin"), std::string("\x09"));

  hexo::test::writeFile(dir / "b.hex", std::string(4096, 'x'));
  ASSERT_EQ(hexo::test::writeImage(dir / "b.hex", hexo::TYPE_INTEL_HEX, {{0x10, 0xAB}}), 0);
  EXPECT_EQ(hexo::test::readLines(dir / "b.hex"), ":01001000AB44\n:00000001FF\n");

  EXPECT_EQ(hexo::open(handle, pathOf("missing/c.bin").c_str(), 'w', -1), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_OPEN);
}

// A path longer than the handle's field would run past it; it is refused
// (a shortened path would name another file) and the field stays terminated.
TEST_F(Handle, PathLongerThanTheFieldIsRefused) {
  const std::string longPath = pathOf(std::string(300, 'a') + ".hex");
  EXPECT_EQ(hexo::open(handle, longPath.c_str(), 'w', -1), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_OPEN);
  EXPECT_EQ(std::string(hexo::path(handle)), longPath.substr(0, 259));
  EXPECT_EQ(hexo::open(handle, nullptr, 'w', -1), -1);
  EXPECT_STREQ(hexo::path(handle), "");
}

TEST_F(Handle, ErrorsStickOnTextFormats) {
  ASSERT_EQ(hexo::open(handle, pathOf("a.hex").c_str(), 'w', -1), 0);
  uint32_t address;
  EXPECT_EQ(hexo::getByte(handle, &address), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ACCESS_MODE);
  EXPECT_EQ(hexo::putByte(handle, 0, 1), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ACCESS_MODE);
  // The failed writer writes no end record, reports the failure, and still closes.
  EXPECT_EQ(hexo::close(handle), -1);
  EXPECT_EQ(hexo::test::readFile(dir / "a.hex"), "");
  EXPECT_EQ(handle.getOp, nullptr);
  // A closed handle refuses calls instead of following a null operation.
  EXPECT_EQ(hexo::getByte(handle, &address), -1);
  EXPECT_EQ(hexo::putByte(handle, 0, 1), -1);
  EXPECT_EQ(hexo::close(handle), -1);
  EXPECT_EQ(hexo::length(handle), -1);
  // Opening again clears the error.
  ASSERT_EQ(hexo::open(handle, pathOf("a.hex").c_str(), 'w', -1), 0);
  EXPECT_EQ(hexo::error(handle), 0);
  EXPECT_EQ(hexo::close(handle), 0);
}

TEST_F(Handle, LengthKeepsThePosition) {
  hexo::test::writeFile(dir / "a.hex", ":01000000AA55\r\n:01000100BB43\r\n:00000001FF\r\n");
  ASSERT_EQ(hexo::open(handle, pathOf("a.hex").c_str(), 'r', -1), 0);
  uint32_t address;
  EXPECT_EQ(hexo::getByte(handle, &address), 0xAA);
  const int32_t position = hexo::position(handle);
  EXPECT_EQ(position, 15);
  EXPECT_EQ(hexo::length(handle), 43);
  EXPECT_EQ(hexo::position(handle), position);
  EXPECT_EQ(hexo::getByte(handle, &address), 0xBB);
  EXPECT_EQ(address, 1u);
  hexo::close(handle);
}

#if !defined(_WIN32)
// Stream failures made with this platform's special files.
TEST_F(Handle, StreamWriteFailureGivesErrorFour) {
  for (int32_t type : {hexo::TYPE_BINARY, hexo::TYPE_INTEL_HEX, hexo::TYPE_S37}) {
    ASSERT_EQ(hexo::open(handle, "/dev/full", 'w', type), 0);
    uint32_t address = 0;
    while (hexo::putByte(handle, address, 0x5A) != -1 && address < 1000000) ++address;
    EXPECT_EQ(hexo::error(handle), hexo::ERR_WRITE) << type;
    // Text writers report the failure again at close; the binary writer's
    // close has nothing of its own to report.
    const int32_t closed = hexo::close(handle);
    if (type != hexo::TYPE_BINARY) {
      EXPECT_EQ(closed, -1) << type;
    }
  }
}

TEST_F(Handle, StreamReadFailureGivesErrorThree) {
  // A folder opens as a stream on this platform, but reading it fails.
  for (int32_t type : {hexo::TYPE_BINARY, hexo::TYPE_INTEL_HEX, hexo::TYPE_S28}) {
    ASSERT_EQ(hexo::open(handle, dir.path().string().c_str(), 'r', type), 0);
    uint32_t address;
    EXPECT_EQ(hexo::getByte(handle, &address), -1);
    EXPECT_EQ(hexo::error(handle), hexo::ERR_READ) << type;
    hexo::close(handle);
  }
}

#endif

}  // namespace
