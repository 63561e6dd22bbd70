// ASPI discovery, drive letters from the dynamic registry and commands,
// against a fake system.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "device_result.h"
#include "fake_os.h"
#include "transport/aspi_layer.h"

namespace zrb2x::test {
namespace {

struct Location {
  uint8_t adapter, target, lun;
  bool operator<(const Location& o) const {
    return std::tie(adapter, target, lun) < std::tie(o.adapter, o.target, o.lun);
  }
};

class FakeAspi : public FakeSync<os::AspiSystem> {
 public:
  bool managerLoads = true;
  int loads = 0, unloads = 0;
  uint32_t info = 0x0102;  // success, two adapters
  std::set<uint8_t> answeringAdapters = {0, 1};
  std::set<Location> readers;
  std::vector<Location> probed;
  std::function<uint8_t(os::AspiCommand&)> onSubmit;
  bool completes = true;
  int aborts = 0;
  std::vector<std::pair<uint8_t, os::BlockControl>> blockCalls;
  std::map<std::string, std::map<std::string, std::string>> enumKeys;  // hardware key -> values
  std::vector<std::pair<std::string, std::string>> configEntries;      // entry -> hardware key

  bool loadManager() override { return ++loads, managerLoads; }
  void unloadManager() override { ++unloads; }
  uint32_t supportInfo() override { return info; }
  bool adapterAnswers(uint8_t adapter) override { return answeringAdapters.count(adapter) > 0; }
  uint8_t submit(os::AspiCommand& c) override {
    if (onSubmit) return onSubmit(c);
    probed.push_back({c.adapter, c.target, c.lun});
    if (c.cdb[0] == 0x12 && readers.count({c.adapter, c.target, c.lun})) {
      std::memcpy(static_cast<uint8_t*>(c.data) + 8, "VELMO   ZRB-22G         ", 24);
      return os::kAspiComplete;
    }
    return 0x82;  // no device
  }
  bool waitForCompletion(os::AspiCommand&, uint32_t) override { return completes; }
  void abort(os::AspiCommand&) override { ++aborts; }
  bool blockDeviceControl(uint8_t drive, os::BlockControl what) override {
    blockCalls.emplace_back(drive, what);
    return true;
  }
  std::vector<std::string> configManagerEntries() override {
    std::vector<std::string> names;
    for (auto& [entry, key] : configEntries) names.push_back(entry);
    return names;
  }
  std::optional<std::string> configManagerValue(const std::string& entry, const char* name) override {
    for (auto& [e, key] : configEntries)
      if (e == entry && std::string(name) == "HardWareKey" && !key.empty()) return key;
    return std::nullopt;
  }
  std::optional<std::string> enumValue(const std::string& key, const char* name) override {
    auto it = enumKeys.find(key);
    if (it == enumKeys.end() || !it->second.count(name)) return std::nullopt;
    return it->second[name];
  }

  void addRegistryDevice(const std::string& entry, const std::string& key, const char* target,
                         const char* lun, const char* product, const char* letter) {
    configEntries.emplace_back(entry, key);
    enumKeys[key] = {{"SCSITargetID", target},     {"SCSILUN", lun},
                     {"Manufacturer", "VELMO   "}, {"ProductId", product},
                     {"RevisionLevel", "2.00"},    {"CurrentDriveLetterAssignment", letter}};
  }
};

TEST(AspiLayer, ProbesEveryAnsweringAdapterTargetAndLun) {
  FakeAspi system;
  system.answeringAdapters = {1};
  system.readers = {{1, 3, 0}, {1, 5, 1}};
  system.addRegistryDevice("a", "SCSI\\X\\1", "5", "1", "ZRB-22G         ", "H");
  AspiLayer layer(system);
  ASSERT_TRUE(layer.open());
  ASSERT_EQ(layer.scan(64), 2u);
  EXPECT_EQ(system.probed.size(), 16u * 8u);  // adapter 0 is silent: only adapter 1's targets
  EXPECT_EQ(system.mutexNames.size(), 26u);
  EXPECT_EQ(system.mutexNames[25], "mutexAspiIo/ZRB-2x/Device25");
  EXPECT_TRUE(system.mutexOpenFirst[0]);
  uint32_t letter = 0;
  ASSERT_TRUE(layer.link(1)->queryDriveLetter(&letter));
  EXPECT_EQ(letter, static_cast<uint32_t>('H'));
  ASSERT_TRUE(layer.link(0)->queryDriveLetter(&letter));
  EXPECT_EQ(letter, 0u);
  layer.close();
  EXPECT_EQ(system.unloads, 1);
  EXPECT_TRUE(system.openHandles.empty());
}

TEST(AspiLayer, StopsProbingAtTheLimitAndNeedsASuccessfulSupportInfo) {
  FakeAspi system;
  for (uint8_t t = 0; t < 16; ++t)
    for (uint8_t l = 0; l < 8; ++l) system.readers.insert({0, t, l});
  AspiLayer layer(system);
  ASSERT_TRUE(layer.open());
  EXPECT_EQ(layer.scan(64), 26u);
  EXPECT_EQ(layer.scan(5), 5u);
  system.info = 0xE402;
  EXPECT_EQ(layer.scan(64), 0u);
}

TEST(AspiLayer, WithoutAManagerTheLayerStaysClosed) {
  FakeAspi system;
  system.managerLoads = false;
  AspiLayer layer(system);
  EXPECT_FALSE(layer.open());
  EXPECT_EQ(layer.scan(64), 0u);
}

TEST(AspiDriveLetter, TheFirstEntryMatchingTargetLunAndIdentificationWins) {
  FakeAspi system;
  system.addRegistryDevice("0", "K0", "3a", "0", "ZRB-22G         ", "D");  // not fully numeric
  system.addRegistryDevice("1", "K1", "3", "0", "ZRB-22X         ", "E");   // another product
  system.addRegistryDevice("2", "", "3", "0", "ZRB-22G         ", "F");     // no hardware key
  system.addRegistryDevice("3", "K3", "3", "0", "ZRB-22G", "G");            // trimmed: padded to 16
  system.addRegistryDevice("4", "K4", "3", "0", "ZRB-22G         ", "H");
  EXPECT_EQ(aspiDriveLetter(system, 3, 0), 'G');
  EXPECT_EQ(aspiDriveLetter(system, 3, 1), 0);
}

class AspiCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.readers = {{0, 2, 0}};
    system.addRegistryDevice("a", "K", "2", "0", "ZRB-22G         ", "E");
    ASSERT_TRUE(layer.open());
    ASSERT_EQ(layer.scan(64), 1u);
    link = layer.link(0);
    std::memcpy(link->cdbBuffer(), "\x13\x00\x00\x00\x04\x00", 6);
  }
  FakeAspi system;
  AspiLayer layer{system};
  DeviceLink* link = nullptr;
  uint8_t data[4] = {};
};

TEST_F(AspiCommandTest, ResultComesFromTheSenseAfterCompletion) {
  system.onSubmit = [](os::AspiCommand& c) {
    c.sense[2] = 0x02;
    c.sense[12] = 0x3A;
    c.status = 0x04;  // completed with error
    return os::kAspiPending;
  };
  EXPECT_EQ(link->execute(Direction::In, 6, data, 4), 0x3A000002u);
  EXPECT_EQ(system.mutexWaits.back(), 16000u);
  EXPECT_EQ(system.mutexesHeld, 0);
}

TEST_F(AspiCommandTest, AFailureWithoutSenseIsNotReportedAsSuccess) {
  system.onSubmit = [](os::AspiCommand&) { return os::kAspiInitFailure; };
  EXPECT_EQ(link->execute(Direction::In, 6, data, 4), result::kHardwareError);
}

TEST_F(AspiCommandTest, ATimedOutRequestIsAbortedAndABusyMutexAborts) {
  system.onSubmit = [](os::AspiCommand&) { return os::kAspiPending; };
  system.completes = false;
  EXPECT_EQ(link->execute(Direction::In, 6, data, 4), result::kHardwareError);
  EXPECT_EQ(system.aborts, 1);
  system.mutexWaitSucceeds = false;
  EXPECT_EQ(link->execute(Direction::In, 6, data, 4), result::kAborted);
  EXPECT_EQ(system.aborts, 1);
}

TEST_F(AspiCommandTest, EjectAndExclusiveUseGoThroughTheBlockDeviceControl) {
  ASSERT_TRUE(link->acquire());
  ASSERT_TRUE(link->release());
  ASSERT_TRUE(link->eject());
  ASSERT_EQ(system.blockCalls.size(), 3u);
  EXPECT_EQ(system.blockCalls[0], std::make_pair(uint8_t{5}, os::BlockControl::Lock));  // E: = 69 − 64
  EXPECT_EQ(system.blockCalls[2].second, os::BlockControl::Eject);
}

TEST(AspiLink, WithoutADriveLetterExclusiveUseSucceedsAndEjectFails) {
  FakeAspi system;
  system.readers = {{0, 0, 0}};
  AspiLayer layer(system);
  ASSERT_TRUE(layer.open());
  ASSERT_EQ(layer.scan(64), 1u);
  EXPECT_TRUE(layer.link(0)->acquire());
  EXPECT_TRUE(layer.link(0)->release());
  EXPECT_FALSE(layer.link(0)->eject());
  EXPECT_TRUE(system.blockCalls.empty());
}

}  // namespace
}  // namespace zrb2x::test
