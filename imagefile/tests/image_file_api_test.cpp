// The image file interface of this build (the core natively, hexo32.dll
// under Wine) writes a file whose bytes come back at their addresses, and
// reports a failed open as the library does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image_file_api.h"
#include "scratch_dir.h"

namespace {

TEST(ImageFileApi, BytesWrittenComeBackAtTheirAddresses) {
  const ImageFileApi& api = imageFileApi();
  zrb::test::ScratchDir dir;
  const std::string path = (dir / "card.s28").string();
  HexoHandle handle{};
  ASSERT_EQ(api.open(&handle, path.c_str(), 'w', -1), 0) << api.name;
  EXPECT_EQ(api.getType(&handle), 3);  // S28 by extension
  for (uint32_t i = 0; i < 3; ++i)
    ASSERT_EQ(api.putB(&handle, 0x12340 + i, static_cast<int32_t>(0xA0 + i)), static_cast<int32_t>(0xA0 + i));
  ASSERT_EQ(api.close(&handle), 0);

  ASSERT_EQ(api.open(&handle, path.c_str(), 'r', -1), 0);
  EXPECT_STREQ(api.getPath(&handle), path.c_str());
  for (uint32_t i = 0; i < 3; ++i) {
    uint32_t address = 0;
    EXPECT_EQ(api.getB(&handle, &address), static_cast<int32_t>(0xA0 + i));
    EXPECT_EQ(address, 0x12340 + i);
  }
  uint32_t address = 0;
  EXPECT_EQ(api.getB(&handle, &address), -1);
  EXPECT_NE(api.isEof(&handle), 0);
  EXPECT_EQ(api.getError(&handle), 0);
  EXPECT_EQ(api.close(&handle), 0);
}

TEST(ImageFileApi, AFileThatCannotBeOpenedIsAStickyError) {
  const ImageFileApi& api = imageFileApi();
  zrb::test::ScratchDir dir;
  HexoHandle handle{};
  const std::string missing = (dir / "no-such.hex").string();
  EXPECT_NE(api.open(&handle, missing.c_str(), 'r', -1), 0);
  EXPECT_NE(api.getError(&handle), 0);
}

}  // namespace
