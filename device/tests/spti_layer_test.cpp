// SCSI pass-through discovery and commands against a fake system.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "device_result.h"
#include "fake_os.h"
#include "transport/spti_layer.h"

namespace zrb2x::test {
namespace {

struct FakeDevice {
  bool reader = true;
  os::ScsiAddress address{8, 0, 0, 0, 0};
  bool opens = true;
  bool answers = true;  // a drive that is no SCSI device fails the pass-through
};

class FakeSpti : public FakeSync<os::SptiSystem> {
 public:
  uint32_t drives = 0;
  std::set<char> removable;
  std::map<std::string, FakeDevice> devices;  // by path
  std::map<char, std::string> driveVolumes;
  std::vector<std::string> volumes;
  std::vector<std::string> opened;
  std::map<os::Handle, std::string> pathOf;
  // Answers a pass-through: true when sent, else *error.
  std::function<bool(const os::PassThroughRequest&, uint32_t*)> answer;
  std::vector<os::PassThroughRequest> requests;
  int lockFailures = 0;
  std::vector<std::string> volumeCalls;

  uint32_t logicalDrives() override { return drives; }
  bool isRemovableDrive(char letter) override { return removable.count(letter) > 0; }
  os::Handle openDevice(const std::string& path) override {
    opened.push_back(path);
    auto it = devices.find(path);
    if (it == devices.end() || !it->second.opens) return 0;
    const os::Handle h = newHandle();
    pathOf[h] = path;
    return h;
  }
  bool passThrough(os::Handle device, const os::PassThroughRequest& request, uint32_t* error) override {
    requests.push_back(request);
    *request.scsiStatus = os::kScsiStatusGood;
    *request.transferred = request.count;
    if (answer) return answer(request, error);
    if (!devices[pathOf[device]].answers) return *error = 1, false;
    if (request.cdb[0] == 0x12) {
      auto* data = static_cast<uint8_t*>(request.data);
      std::memcpy(data + 8,
                  devices[pathOf[device]].reader ? "VELMO   ZRB-22H         " : "OTHER   DISK            ",
                  24);
    }
    return true;
  }
  os::ScsiAddress scsiAddress(os::Handle device) override { return devices[pathOf[device]].address; }
  std::string volumeNameOfDrive(char letter) override { return driveVolumes[letter]; }
  std::vector<std::string> volumeNames() override { return volumes; }
  bool lockVolume(os::Handle) override {
    volumeCalls.push_back("lock");
    if (lockFailures > 0) {
      --lockFailures;
      return false;
    }
    return true;
  }
  bool unlockVolume(os::Handle) override { return volumeCalls.push_back("unlock"), true; }
  bool dismountVolume(os::Handle) override { return volumeCalls.push_back("dismount"), true; }
  bool loadMedia(os::Handle) override { return volumeCalls.push_back("load"), true; }
  bool ejectMedia(os::Handle) override { return volumeCalls.push_back("eject"), true; }
};

uint32_t bit(char letter) { return 1u << (letter - 'A'); }

class SptiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.drives = bit('C') | bit('E') | bit('F') | bit('G') | bit('H');
    system.removable = {'E', 'F', 'G', 'H'};
    system.devices["\\\\.\\C:"] = {};
    system.devices["\\\\.\\E:"] = {true, {8, 1, 0, 2, 0}};
    system.devices["\\\\.\\F:"] = {false};
    system.devices["\\\\.\\G:"] = {true, {}, false};
    system.devices["\\\\.\\H:"] = {true, {}, true, false};
    system.devices["\\\\.\\Volume{aaa}"] = {true, {8, 0, 0, 5, 0}};
    system.devices["\\\\.\\Volume{bbb}"] = {false};
    system.driveVolumes['E'] = "\\\\?\\Volume{EEE}\\";
    system.volumes = {"\\\\?\\volume{eee}\\", "\\\\?\\Volume{aaa}\\", "\\\\?\\Volume{bbb}\\"};
    system.devices["\\\\.\\volume{eee}"] = {true, {8, 1, 0, 2, 0}};
  }
  FakeSpti system;
  SptiLayer layer{system};
};

TEST_F(SptiTest, FindsReadersAmongRemovableDrivesAndVolumesOnceEach) {
  ASSERT_TRUE(layer.open());
  ASSERT_EQ(layer.scan(64), 2u);
  // Fixed drive C: never opened; the volume of E: (other case) not tried again.
  EXPECT_EQ(system.opened, (std::vector<std::string>{"\\\\.\\E:", "\\\\.\\F:", "\\\\.\\G:", "\\\\.\\H:",
                                                     "\\\\.\\Volume{aaa}", "\\\\.\\Volume{bbb}"}));
  EXPECT_TRUE(system.openHandles.size() == 32u);  // only the mutexes stay open
  // Sorted by address: port 0 (the volume) before port 1 (E:).
  uint32_t letter = 1, position = 9;
  ASSERT_TRUE(layer.link(0)->queryDriveLetter(&letter));
  EXPECT_EQ(letter, 0u);
  ASSERT_TRUE(layer.link(0)->queryDiscoveryPosition(&position));
  EXPECT_EQ(position, 1u);
  ASSERT_TRUE(layer.link(1)->queryDriveLetter(&letter));
  EXPECT_EQ(letter, static_cast<uint32_t>('E'));
}

TEST_F(SptiTest, MutexesAreNamedPerDeviceAndAllAreNeeded) {
  ASSERT_TRUE(layer.open());
  ASSERT_EQ(system.mutexNames.size(), 32u);
  EXPECT_EQ(system.mutexNames[0], "mutexSptiIo/ZRB-2x/Device0");
  EXPECT_EQ(system.mutexNames[31], "mutexSptiIo/ZRB-2x/Device31");
  FakeSpti failing;
  failing.failMutexNumber = 7;
  SptiLayer broken(failing);
  EXPECT_FALSE(broken.open());
  EXPECT_TRUE(failing.openHandles.empty());
}

TEST_F(SptiTest, DevicesWithoutAnAddressSortLastThenByPortPathTargetLun) {
  system.drives = 0;
  system.volumes.clear();
  const os::ScsiAddress addresses[] = {
      {0}, {8, 1, 0, 0, 0}, {8, 0, 1, 0, 0}, {8, 0, 0, 3, 1}, {8, 0, 0, 3, 0}};
  for (int i = 0; i < 5; ++i) {
    const std::string name = "\\\\?\\Volume{" + std::to_string(i) + "}\\";
    system.volumes.push_back(name);
    system.devices["\\\\.\\Volume{" + std::to_string(i) + "}"] = {true, addresses[i]};
  }
  ASSERT_TRUE(layer.open());
  ASSERT_EQ(layer.scan(64), 5u);
  std::vector<uint32_t> order;
  for (uint32_t i = 0; i < 5; ++i) {
    uint32_t position = 0;
    layer.link(i)->queryDiscoveryPosition(&position);
    order.push_back(position);
  }
  EXPECT_EQ(order, (std::vector<uint32_t>{4, 3, 2, 1, 0}));
}

class SptiCommandTest : public SptiTest {
 protected:
  void SetUp() override {
    SptiTest::SetUp();
    ASSERT_TRUE(layer.open());
    ASSERT_EQ(layer.scan(64), 2u);
    link = layer.link(1);  // E:, address 1/0/2/0
    system.requests.clear();
    system.opened.clear();
    std::memcpy(link->cdbBuffer(), "\x20\x00\x00\x00\x00\x00\x00\x00\x00\x02", 10);
  }
  DeviceLink* link = nullptr;
  uint8_t data[2] = {};
};

TEST_F(SptiCommandTest, ACommandRunsUnderTheDeviceMutexOnAFreshHandle) {
  system.answer = [](const os::PassThroughRequest& r, uint32_t*) {
    r.sense[2] = 0x06;
    r.sense[12] = 0x28;
    return true;
  };
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kCardChanged);
  ASSERT_EQ(system.requests.size(), 1u);
  const os::PassThroughRequest& r = system.requests[0];
  EXPECT_EQ(r.target, 2);
  EXPECT_EQ(r.cdbLength, 10);
  EXPECT_EQ(r.timeoutSeconds, 32u);
  EXPECT_EQ(r.count, 2u);
  EXPECT_EQ(system.mutexWaits.back(), 32000u);
  EXPECT_EQ(system.mutexesHeld, 0);
  EXPECT_EQ(system.opened, std::vector<std::string>{"\\\\.\\E:"});
  EXPECT_EQ(system.openHandles.size(), 32u);
}

TEST_F(SptiCommandTest, ABusyDeviceMutexGivesAbortedWithoutARequest) {
  system.mutexWaitSucceeds = false;
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kAborted);
  EXPECT_TRUE(system.requests.empty());
}

TEST_F(SptiCommandTest, GeneralFailuresAreRepeatedAfter100msOtherErrorsGiveUp) {
  int failures = 3;
  system.answer = [&](const os::PassThroughRequest&, uint32_t* error) {
    if (failures-- > 0) return *error = os::kErrorGenFailure, false;
    return true;
  };
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), 0u);
  EXPECT_EQ(system.requests.size(), 4u);
  EXPECT_EQ(system.sleeps, (std::vector<uint32_t>{100, 100, 100}));

  system.answer = [](const os::PassThroughRequest&, uint32_t* error) { return *error = 1117, false; };
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kHardwareError);

  system.requests.clear();
  system.answer = [](const os::PassThroughRequest&, uint32_t* error) {
    return *error = os::kErrorGenFailure, false;
  };
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kHardwareError);
  EXPECT_EQ(system.requests.size(), kGeneralFailureRepeats + 1);
}

TEST_F(SptiCommandTest, AcquireLocksTheVolumeAndKeepsItsHandleUntilRelease) {
  system.lockFailures = 2;
  ASSERT_TRUE(link->acquire());
  EXPECT_EQ(system.sleeps, (std::vector<uint32_t>{500, 500}));
  EXPECT_EQ(system.openHandles.size(), 33u);
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), 0u);
  EXPECT_EQ(system.openHandles.size(), 33u);  // still locked, still open
  EXPECT_EQ(system.opened.size(), 1u);
  ASSERT_TRUE(link->release());
  EXPECT_EQ(system.volumeCalls.back(), "unlock");
  EXPECT_EQ(system.openHandles.size(), 32u);
}

TEST_F(SptiCommandTest, AcquireGivesUpAfterEightSecondsAndClosesTheHandle) {
  system.lockFailures = 1000;
  EXPECT_FALSE(link->acquire());
  EXPECT_EQ(system.volumeCalls.size(), 17u);  // at 0, 500, ... 8000 ms
  EXPECT_EQ(system.sleeps.size(), 16u);
  EXPECT_EQ(system.openHandles.size(), 32u);
}

TEST_F(SptiCommandTest, EjectLocksDismountsEjectsAndUnlocks) {
  ASSERT_TRUE(link->eject());
  EXPECT_EQ(system.volumeCalls, (std::vector<std::string>{"lock", "dismount", "eject", "unlock"}));
  EXPECT_EQ(system.openHandles.size(), 32u);
}

}  // namespace
}  // namespace zrb2x::test

namespace zrb2x::test {
namespace {

// A request the system carried out is a success only when the target said
// GOOD and the whole transfer moved; otherwise its sense, or a failure when
// it gave none.
TEST_F(SptiCommandTest, OnlyAGoodStatusWithTheWholeTransferIsASuccess) {
  struct Case {
    uint8_t status;
    uint32_t transferred;
    uint8_t senseKey;
    uint32_t expected;
  };
  const Case cases[] = {
      {0x00, 2, 0, 0},                       // good, whole
      {0x08, 2, 0, result::kHardwareError},  // busy
      {0x18, 2, 0, result::kHardwareError},  // reservation conflict
      {0x02, 2, 0, result::kHardwareError},  // check condition without sense data
      {0x02, 2, 0x03, 0x03},                 // check condition with its sense
      {0x00, 1, 0, result::kHardwareError},  // data phase cut short
      {0x00, 0, 0, result::kHardwareError},
  };
  for (const Case& c : cases) {
    system.answer = [&](const os::PassThroughRequest& r, uint32_t*) {
      *r.scsiStatus = c.status;
      *r.transferred = c.transferred;
      r.sense[2] = c.senseKey;
      return true;
    };
    EXPECT_EQ(link->execute(Direction::In, 10, data, 2), c.expected)
        << "status " << int(c.status) << " moved " << c.transferred;
  }
}

}  // namespace
}  // namespace zrb2x::test
