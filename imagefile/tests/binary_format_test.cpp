// Plain binary images through the calling interface.
#include <gtest/gtest.h>

#include <string>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

using hexo::test::Cell;

namespace {

class Binary : public ::testing::Test {
 protected:
  zrb::test::ScratchDir dir;
  std::filesystem::path file = dir / "image.bin";
};

TEST_F(Binary, GapsAreFilledWithFFAndFallingAddressesRefused) {
  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, file.string().c_str(), 'w', hexo::TYPE_BINARY), 0);
  EXPECT_EQ(hexo::putByte(handle, 5, 0x05), 0x05);
  EXPECT_EQ(hexo::putByte(handle, 6, 0x06), 0x06);
  EXPECT_EQ(hexo::putByte(handle, 9, 0x09), 0x09);
  EXPECT_EQ(hexo::putByte(handle, 7, 0x07), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ADDRESS_OVERLAP);
  // The refused address does not stop the binary writer.
  EXPECT_EQ(hexo::putByte(handle, 10, 0x0A), 0x0A);
  EXPECT_EQ(hexo::lineNumber(handle), 6);  // the stream position
  EXPECT_EQ(hexo::close(handle), 0);
  EXPECT_EQ(hexo::test::readFile(file), std::string("\x05\x06\xFF\xFF\x09\x0A", 6));
}

TEST_F(Binary, LargeGapsAreFilled) {
  ASSERT_EQ(hexo::test::writeImage(file, hexo::TYPE_BINARY, {{0, 1}, {10000, 2}}), 0);
  const std::string content = hexo::test::readFile(file);
  ASSERT_EQ(content.size(), 10001u);
  EXPECT_EQ(content.find_first_not_of('\xFF', 1), 10000u);
}

TEST_F(Binary, ReaderDeliversFilePositionsAsAddresses) {
  hexo::test::writeFile(file, std::string("\x00\xFF\x7F", 3));
  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, file.string().c_str(), 'r', -1), 0);
  uint32_t address = 99;
  EXPECT_EQ(hexo::getByte(handle, &address), 0x00);
  EXPECT_EQ(address, 0u);
  EXPECT_EQ(hexo::getByte(handle, &address), 0xFF);
  EXPECT_EQ(hexo::lineNumber(handle), 2);
  EXPECT_EQ(hexo::getByte(handle, &address), 0x7F);
  EXPECT_EQ(address, 2u);
  EXPECT_EQ(hexo::getByte(handle, &address), -1);
  EXPECT_EQ(hexo::isEof(handle), 1);
  EXPECT_EQ(hexo::error(handle), 0);
  EXPECT_EQ(hexo::getByte(handle, &address), -1);
  EXPECT_EQ(hexo::close(handle), 0);
}

}  // namespace
