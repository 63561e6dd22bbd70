// Stored settings: what is read back, which stored values are distrusted in
// favour of the defaults, and that a key that does not open is reported
// while every read and write is still tried.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "recording_messages.h"
#include "settings.h"

namespace tessel {
namespace {

// The registry as a map; a value can be stored as another kind than binary,
// and keys can be made to refuse opening.
class MapStore final : public SettingsStore {
 public:
  struct Value {
    std::vector<uint8_t> bytes;
    bool binary = true;
  };

  bool openKey(std::string_view key) override {
    opened.emplace(key);
    return !refused.count(std::string(key));
  }
  std::optional<std::vector<uint8_t>> readBinary(std::string_view key, std::string_view name) override {
    ++reads;
    auto it = values.find(path(key, name));
    if (it == values.end() || !it->second.binary) return std::nullopt;
    return it->second.bytes;
  }
  bool writeBinary(std::string_view key, std::string_view name, std::span<const uint8_t> bytes) override {
    if (refused.count(std::string(key))) return false;
    values[path(key, name)] = {{bytes.begin(), bytes.end()}, true};
    return true;
  }

  static std::string path(std::string_view key, std::string_view name) {
    return std::string(key) + "\\" + std::string(name);
  }
  template <typename Record>
  void put(std::string_view key, std::string_view name, const Record& record, bool binary = true) {
    std::vector<uint8_t> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    values[path(key, name)] = {bytes, binary};
  }

  std::map<std::string, Value> values;
  std::set<std::string> refused;
  std::set<std::string> opened;
  int reads = 0;
};

bool sameSettings(const SocketSettings& a, const SocketSettings& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SocketSettingsStore, WrittenSettingsComeBackForTheirSocketOnly) {
  MapStore store;
  test::RecordingMessages messages;
  const SocketSettings chosen{69, 0x100000, 1, 1, 0};
  ASSERT_TRUE(storeSocketSettings(store, messages, 5, chosen));

  // 18 bytes, packed, under "Info5" of the Env key.
  const auto& stored = store.values.at(MapStore::path(kEnvKey, "Info5")).bytes;
  const std::vector<uint8_t> expected = {69, 0, 0, 0, 0x10, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(stored, expected);

  const auto loaded = loadSocketSettings(store, messages);
  EXPECT_TRUE(sameSettings(loaded[5], chosen));
  for (unsigned socket : {0u, 4u, 6u, 15u})
    EXPECT_TRUE(sameSettings(loaded[socket], defaultSocketSettings()));
  EXPECT_EQ(socketOptionByte(loaded[5]), 2);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(socketSettingsValueName(15), "Info15");
}

TEST(SocketSettingsStore, AMissingValueGivesTheDefaults) {
  MapStore store;
  test::RecordingMessages messages;
  const auto loaded = loadSocketSettings(store, messages);
  EXPECT_EQ(uint32_t{loaded[5].defaultSize}, 0x4000000u);
  EXPECT_EQ(uint32_t{loaded[5].useDefault}, 0u);
  EXPECT_EQ(socketOptionByte(loaded[5]), 0);
  EXPECT_EQ(socketOptionByte({0, 512, 0, 7, 9}), 3);
  EXPECT_EQ(socketOptionByte({0, 512, 0, 0, 1}), 1);
}

TEST(SocketSettingsStore, ValuesOfTheWrongKindSizeOrRangeAreNotTrusted) {
  MapStore store;
  test::RecordingMessages messages;
  const SocketSettings good{3, 0x200000, 1, 0, 1};
  store.put(kEnvKey, "Info0", good, false);                                // not binary
  store.put(kEnvKey, "Info1", std::array<uint8_t, 17>{3, 0, 0, 0, 0x20});  // one byte short
  store.put(kEnvKey, "Info2", std::array<uint8_t, 19>{3, 0, 0, 0, 0x20});  // one byte long
  store.put(kEnvKey, "Info3", SocketSettings{11, 0x200000, 1, 0, 0});      // no listed type
  store.put(kEnvKey, "Info4", SocketSettings{131, 0x200000, 1, 0, 0});     // the manager's, not ours
  store.put(kEnvKey, "Info5", SocketSettings{3, 0, 1, 0, 0});              // no size
  store.put(kEnvKey, "Info6", SocketSettings{3, 511, 1, 0, 0});
  store.put(kEnvKey, "Info7", SocketSettings{3, 0x4000001, 1, 0, 0});
  // The edges of what is accepted.
  store.put(kEnvKey, "Info8", SocketSettings{8, 512, 1, 0, 0});
  store.put(kEnvKey, "Info9", SocketSettings{0, 0x4000000, 0, 0, 0});
  store.put(kEnvKey, "Info10", good);

  const auto loaded = loadSocketSettings(store, messages);
  for (unsigned socket = 0; socket <= 7; ++socket)
    EXPECT_TRUE(sameSettings(loaded[socket], defaultSocketSettings())) << socket;
  EXPECT_EQ(uint32_t{loaded[8].defaultSize}, 512u);
  EXPECT_EQ(uint16_t{loaded[8].defaultType}, 8);
  EXPECT_EQ(uint32_t{loaded[9].defaultSize}, 0x4000000u);
  EXPECT_TRUE(sameSettings(loaded[10], good));
  EXPECT_TRUE(messages.shown.empty());
}

TEST(ListColourStore, StoredColoursAreUsedAndDamagedOnesReplacedByTheDefaults) {
  MapStore store;
  test::RecordingMessages messages;
  ListColours colours = loadListColours(store, messages);
  EXPECT_EQ(colours.text, 0xFFFFFFu);
  EXPECT_EQ(colours.background, 0xA00000u);

  ASSERT_TRUE(storeListColour(store, messages, ListColourRole::Text, 0x0000FF));
  EXPECT_EQ(store.values.at(MapStore::path(kColorKey, "FontColor")).bytes,
            (std::vector<uint8_t>{0xFF, 0, 0, 0}));
  ASSERT_TRUE(storeListColour(store, messages, ListColourRole::Background, 0x123456));
  colours = loadListColours(store, messages);
  EXPECT_EQ(colours.text, 0x0000FFu);
  EXPECT_EQ(colours.background, 0x123456u);

  store.put(kColorKey, "FontColor", std::array<uint8_t, 3>{0, 0, 0});  // too short
  store.put(kColorKey, "ListColor", uint32_t{0x01000000});             // not a plain colour
  colours = loadListColours(store, messages);
  EXPECT_EQ(colours.text, 0xFFFFFFu);
  EXPECT_EQ(colours.background, 0xA00000u);
  store.put(kColorKey, "ListColor", uint32_t{0x000000}, false);  // a number, not binary
  EXPECT_EQ(loadListColours(store, messages).background, 0xA00000u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(SettingsKeys, AKeyThatDoesNotOpenIsReportedAndEveryReadAndWriteStillTried) {
  MapStore store;
  test::RecordingMessages messages;
  store.refused = {kColorKey, kEnvKey};
  store.put(kEnvKey, "Info3", SocketSettings{1, 0x2000, 1, 0, 0});

  const auto settings = loadSocketSettings(store, messages);
  EXPECT_EQ(store.reads, 16);
  EXPECT_EQ(uint16_t{settings[3].defaultType}, 1);  // what could be read is used
  ListColours colours = loadListColours(store, messages);
  EXPECT_EQ(store.reads, 18);
  EXPECT_EQ(colours.text, 0xFFFFFFu);
  ASSERT_EQ(messages.shown.size(), 2u);  // once per key, not once per value
  EXPECT_EQ(messages.shown[0], "REGISTRY Error");
  EXPECT_EQ(messages.shown[1], "REGISTRY Error");

  messages.shown.clear();
  EXPECT_FALSE(storeSocketSettings(store, messages, 0, defaultSocketSettings()));
  EXPECT_FALSE(storeListColour(store, messages, ListColourRole::Text, 0));
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(store.opened, (std::set<std::string>{kColorKey, kEnvKey}));
}

}  // namespace
}  // namespace tessel
