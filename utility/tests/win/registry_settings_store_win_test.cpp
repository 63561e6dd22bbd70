// The settings store on the real registry under Wine: values come back as
// written, and what the registry holds in another kind or size is not taken
// for a setting.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "recording_messages.h"
#include "settings.h"
#include "win32_registry.h"
#include "win32_settings_store.h"

namespace tessel::win {
namespace {

using zrb::win::RegistryKey;

class RegistryStore : public ::testing::Test {
 protected:
  void TearDown() override {
    // Innermost first: a key with subkeys cannot be deleted.
    for (const char* key : {"\\Software\\Orvane\\tessel\\Color", "\\Software\\Orvane\\tessel\\Env",
                            "\\Software\\Orvane\\tessel", "\\Software\\Orvane", "\\Software", ""})
      RegDeleteKeyA(HKEY_CURRENT_USER, (root_ + key).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvane");  // only while nothing else is in it
  }
  // Where the store keeps `key` of the program below the test's root.
  RegistryKey programKey(const char* key) { return RegistryKey::create(HKEY_CURRENT_USER, root_ + key); }

  const std::string root_ = "Software\\Orvane\\tessel-test-" + std::to_string(GetCurrentProcessId());
  RegistrySettingsStore store{root_};
  test::RecordingMessages messages;
};

TEST_F(RegistryStore, SettingsComeBackAsWrittenUnderTheProgramsKeys) {
  const SocketSettings chosen{69, 0x100000, 1, 0, 1};
  ASSERT_TRUE(storeSocketSettings(store, messages, 5, chosen));
  ASSERT_TRUE(storeListColour(store, messages, ListColourRole::Text, 0x0000FF));

  auto stored = programKey(kEnvKey).readBinary("Info5");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 18u);
  EXPECT_EQ(std::memcmp(stored->data(), &chosen, 18), 0);

  const auto loaded = loadSocketSettings(store, messages);
  EXPECT_EQ(std::memcmp(&loaded[5], &chosen, sizeof chosen), 0);
  EXPECT_EQ(uint32_t{loaded[4].defaultSize}, kDefaultCardSize);
  EXPECT_EQ(loadListColours(store, messages).text, 0x0000FFu);
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_FALSE(store.readBinary(kEnvKey, "Info6"));
  EXPECT_FALSE(store.readBinary("\\Software\\Orvane\\tessel\\Nowhere", "Info0"));
}

TEST_F(RegistryStore, ANumberOrAWronglySizedValueFallsBackToTheDefaults) {
  RegistryKey env = programKey(kEnvKey);
  ASSERT_TRUE(env.writeNumber("Info0", 0x12345678));  // REG_DWORD, not binary
  const uint8_t shortSettings[17] = {3, 0, 0, 0, 0x20};
  ASSERT_TRUE(env.writeBinary("Info1", shortSettings, sizeof shortSettings));
  RegistryKey colours = programKey(kColorKey);
  ASSERT_TRUE(colours.writeNumber("FontColor", 0x0000FF));
  const uint8_t longColour[8] = {0xFF};
  ASSERT_TRUE(colours.writeBinary("ListColor", longColour, sizeof longColour));

  EXPECT_FALSE(store.readBinary(kEnvKey, "Info0"));
  const auto loaded = loadSocketSettings(store, messages);
  for (unsigned socket : {0u, 1u}) {
    const SocketSettings defaults = defaultSocketSettings();
    EXPECT_EQ(std::memcmp(&loaded[socket], &defaults, sizeof defaults), 0) << socket;
  }
  const ListColours list = loadListColours(store, messages);
  EXPECT_EQ(list.text, 0xFFFFFFu);
  EXPECT_EQ(list.background, 0xA00000u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RegistryStore, FileNamesAndNumbersKeepTheirKindAndEveryCharacter) {
  const char* key = "\\Software\\Orvane\\tessel\\WriteFile";
  const std::string name = "C:\\カード\\ﾃｽﾄ 日本語.hex";
  ASSERT_TRUE(store.writeString(key, "FileName", name));
  ASSERT_TRUE(store.writeNumber(key, "Option", 1));
  EXPECT_EQ(store.readString(key, "FileName"), name);
  EXPECT_EQ(store.readNumber(key, "Option"), 1u);

  // Each read takes only its own kind.
  EXPECT_FALSE(store.readNumber(key, "FileName"));
  EXPECT_FALSE(store.readString(key, "Option"));
  EXPECT_FALSE(store.readBinary(key, "Option"));
  const uint8_t four[4] = {1, 0, 0, 0};
  ASSERT_TRUE(store.writeBinary(key, "StartAddr", four));
  EXPECT_FALSE(store.readNumber(key, "StartAddr"));
  EXPECT_FALSE(store.readString(key, "Missing"));
  RegDeleteKeyA(HKEY_CURRENT_USER, (root_ + key).c_str());
}

}  // namespace
}  // namespace tessel::win
