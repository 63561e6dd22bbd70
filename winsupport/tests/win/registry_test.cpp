// Registry values of the suite's kinds; a value of another kind or size is
// never taken for the one asked for.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "win32_registry.h"

namespace zrb::win {
namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\zrb-winsupport-test-" + std::to_string(GetCurrentProcessId());
    key_ = RegistryKey::create(HKEY_CURRENT_USER, path_);
    ASSERT_TRUE(key_);
  }
  void TearDown() override {
    key_ = RegistryKey{};
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }
  std::string path_;
  RegistryKey key_;
};

TEST_F(Registry, ValuesComeBackAsTheyWereWritten) {
  const uint8_t colour[4] = {1, 2, 3, 4};
  ASSERT_TRUE(key_.writeBinary("FontColor", colour, sizeof colour));
  ASSERT_TRUE(key_.writeString("FileName", "C:\\カード.hex"));
  ASSERT_TRUE(key_.writeNumber("Count", 0xCAFEF00D));
  RegistryKey reopened = RegistryKey::open(HKEY_CURRENT_USER, path_);
  uint8_t back[4] = {};
  EXPECT_TRUE(reopened.readBinary("FontColor", back, sizeof back));
  EXPECT_EQ(std::memcmp(back, colour, sizeof colour), 0);
  EXPECT_EQ(reopened.readString("FileName"), "C:\\カード.hex");
  EXPECT_EQ(reopened.readNumber("Count"), 0xCAFEF00Du);
  EXPECT_EQ(reopened.readBinary("FontColor")->size(), 4u);
}

TEST_F(Registry, AValueOfAnotherSizeOrKindLeavesTheCallersValueAlone) {
  const uint8_t two[2] = {9, 9};
  ASSERT_TRUE(key_.writeBinary("Short", two, sizeof two));
  uint8_t wanted[4] = {7, 7, 7, 7};
  EXPECT_FALSE(key_.readBinary("Short", wanted, sizeof wanted));
  EXPECT_EQ(wanted[0], 7);
  EXPECT_EQ(key_.lastError(), ERROR_INVALID_DATA);
  ASSERT_TRUE(key_.writeString("Text", "12"));
  EXPECT_FALSE(key_.readNumber("Text"));
  EXPECT_FALSE(key_.readBinary("Text", wanted, 2));
  EXPECT_FALSE(key_.readString("Missing"));
  EXPECT_EQ(key_.lastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, AStringStoredWithoutItsZeroEndsWhereItsBytesEnd) {
  ASSERT_EQ(RegSetValueExA(key_.get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
            ERROR_SUCCESS);
  EXPECT_EQ(key_.readString("Raw"), "abc");
  ASSERT_EQ(RegSetValueExA(key_.get(), "Inner", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0cd"), 6),
            ERROR_SUCCESS);
  EXPECT_EQ(key_.readString("Inner"), "ab");
}

TEST_F(Registry, AKeyThatIsNotThereReadsNothingAndWritesNothing) {
  RegistryKey missing = RegistryKey::open(HKEY_CURRENT_USER, path_ + "\\not-there");
  EXPECT_FALSE(missing);
  EXPECT_FALSE(missing.readNumber("Count"));
  EXPECT_FALSE(missing.writeNumber("Count", 1));
  EXPECT_FALSE(RegistryKey::open(HKEY_CURRENT_USER, path_ + "\\not-there"));  // and did not create it
  EXPECT_TRUE(key_.writeNumber("Gone", 1));
  EXPECT_TRUE(key_.remove("Gone"));
  EXPECT_FALSE(key_.readNumber("Gone"));
}

}  // namespace
}  // namespace zrb::win
