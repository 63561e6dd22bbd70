// The reader-writer's USB driver transport against a fake system.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>

#include "device_result.h"
#include "fake_os.h"
#include "transport/usb_driver_layer.h"

namespace zrb2x::test {
namespace {

struct IoCall {
  std::string what;  // "ioctl", "read", "write"
  std::string file;
  uint32_t code = 0;
  std::vector<uint8_t> bytes;
};

class FakeUsb : public FakeSync<os::UsbDriverSystem> {
 public:
  uint32_t interfaces = 2;
  std::set<std::string> unopenable;
  std::map<os::Handle, std::string> fileOf;
  std::vector<IoCall> calls;
  uint32_t submitError = 0;
  std::map<std::string, std::deque<uint32_t>> readErrors;  // per file, consumed in order
  std::deque<std::array<uint8_t, 2>> statuses;             // 0,0 once exhausted
  uint8_t senseKey = 0x03, senseAsc = 0x11;

  uint32_t countInterfaces(uint32_t max) override { return std::min(interfaces, max); }
  std::string interfacePath(uint32_t index) override { return "\\\\?\\usb#rw#" + std::to_string(index); }
  os::Handle openFile(const std::string& path) override {
    if (unopenable.count(path)) return 0;
    const os::Handle h = newHandle();
    fileOf[h] = path;
    return h;
  }
  uint32_t deviceControl(os::Handle h, uint32_t code, const void* input, uint32_t length) override {
    const auto* bytes = static_cast<const uint8_t*>(input);
    calls.push_back({"ioctl", fileOf[h], code, std::vector<uint8_t>(bytes, bytes + length)});
    lastCdb = length > 16 ? bytes[16] : 0;
    return code == kUsbSubmitCommand ? submitError : 0;
  }
  uint32_t readFile(os::Handle h, void* data, uint32_t count) override {
    const std::string& file = fileOf[h];
    calls.push_back({"read", file, count, {}});
    auto& errors = readErrors[file];
    if (!errors.empty()) {
      const uint32_t error = errors.front();
      errors.pop_front();
      if (error) return error;
    }
    auto* out = static_cast<uint8_t*>(data);
    if (file.ends_with("pipe002")) {
      std::array<uint8_t, 2> status{};
      if (!statuses.empty()) status = statuses.front(), statuses.pop_front();
      std::memcpy(out, status.data(), 2);
    } else if (lastCdb == 0x03) {
      std::memset(out, 0, count);
      out[2] = senseKey;
      out[12] = senseAsc;
    }
    return 0;
  }
  uint32_t writeFile(os::Handle h, const void*, uint32_t count) override {
    calls.push_back({"write", fileOf[h], count, {}});
    return 0;
  }
  uint8_t lastCdb = 0;
};

class UsbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(layer.open());
    ASSERT_EQ(layer.scan(64), 2u);
    link = layer.link(1);
    std::memcpy(link->cdbBuffer(), "\x20\x00\x00\x00\x00\x10\x00\x00\x00\x02", 10);
  }
  std::vector<IoCall> callsOf(const std::string& what) {
    std::vector<IoCall> v;
    for (auto& c : system.calls)
      if (c.what == what) v.push_back(c);
    return v;
  }
  FakeUsb system;
  UsbDriverLayer layer{system};
  DeviceLink* link = nullptr;
  uint8_t data[2] = {};
  const std::string device = "\\\\?\\usb#rw#1";
};

TEST_F(UsbTest, MutexesAndCountFollowTheDriversInterfaces) {
  EXPECT_EQ(system.mutexNames.size(), 32u);
  EXPECT_EQ(system.mutexNames[0], "OrvuIo/mutex/device/00");
  EXPECT_EQ(system.mutexNames[31], "OrvuIo/mutex/device/31");
  system.interfaces = 40;
  EXPECT_EQ(layer.scan(64), 32u);
  EXPECT_EQ(layer.scan(4), 4u);
}

TEST_F(UsbTest, ACommandIsTheBlockThenTheDataPhaseThenTheStatus) {
  system.statuses.push_back({0x3A, 0x01});
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), 0x3A010000u);
  ASSERT_EQ(system.calls.size(), 3u);
  const IoCall& submit = system.calls[0];
  EXPECT_EQ(submit.file, device);
  EXPECT_EQ(submit.code, 0x220010u);
  const std::vector<uint8_t> expected = {27, 0, 0, 0,    2, 0, 0, 0, 0,    0, 0, 0, 1,
                                         0,  0, 0, 0x20, 0, 0, 0, 0, 0x10, 0, 0, 0, 2};
  EXPECT_EQ(submit.bytes, expected);
  EXPECT_EQ(system.calls[1].file, device + "\\if000pipe000");
  EXPECT_EQ(system.calls[1].code, 2u);
  EXPECT_EQ(system.calls[2].file, device + "\\if000pipe002");
  EXPECT_EQ(system.mutexWaits.back(), 32000u);
  EXPECT_EQ(system.openHandles.size(), 32u);  // the four handles are closed again
}

TEST_F(UsbTest, OutDataGoesToPipeOne) {
  EXPECT_EQ(link->execute(Direction::Out, 10, data, 2), 0u);
  EXPECT_EQ(callsOf("write").at(0).file, device + "\\if000pipe001");
}

TEST_F(UsbTest, AnUnopenablePipeOrAFailedSubmissionEndTheCommand) {
  system.unopenable.insert(device + "\\if000pipe001");
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kIllegalRequest);
  EXPECT_EQ(system.openHandles.size(), 32u);
  system.unopenable.clear();
  system.submitError = 31;
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kNotReady);
}

TEST_F(UsbTest, AFailedDataPhaseResetsThePipeAndAsksForTheSense) {
  system.readErrors[device + "\\if000pipe000"] = {1167};
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), 0x11000003u);
  const auto ioctls = callsOf("ioctl");
  ASSERT_EQ(ioctls.size(), 4u);
  EXPECT_EQ(ioctls[1].code, 0x220024u);
  EXPECT_EQ(ioctls[1].file, device + "\\if000pipe000");
  EXPECT_EQ(ioctls[2].code, 0x220008u);
  EXPECT_EQ(ioctls[3].bytes[16], 0x03);  // request sense
  EXPECT_EQ(ioctls[3].bytes[20], 18);
}

// A failed data phase whose sense answer is empty (or a short transfer, which
// the system reports as a failed read) did not succeed.
TEST_F(UsbTest, AFailedDataPhaseWithoutSenseDataIsAFailure) {
  system.senseKey = 0;
  system.senseAsc = 0;
  system.readErrors[device + "\\if000pipe000"] = {13};  // the data, cut short
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kHardwareError);
}

TEST_F(UsbTest, AFailedStatusReadResetsTheStatusPipeButACrcErrorDoesNot) {
  system.readErrors[device + "\\if000pipe002"] = {1167};
  EXPECT_EQ(link->execute(Direction::Out, 10, data, 2), result::kNotReady);
  EXPECT_EQ(callsOf("ioctl").size(), 3u);
  system.calls.clear();
  system.readErrors[device + "\\if000pipe002"] = {os::kErrorCrc};
  EXPECT_EQ(link->execute(Direction::Out, 10, data, 2), result::kNotReady);
  EXPECT_EQ(callsOf("ioctl").size(), 1u);
}

TEST_F(UsbTest, ACardChangeIsRepeatedButNotForEver) {
  system.statuses = {{0x28, 0x00}, {0x28, 0x00}};
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), 0u);
  EXPECT_EQ(callsOf("ioctl").size(), 3u);
  system.calls.clear();
  system.statuses.assign(100, {0x28, 0x00});
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kCardChangedNoKey);
  EXPECT_EQ(callsOf("ioctl").size(), kCardChangeRepeats + 1);
}

TEST_F(UsbTest, ABusyMutexAbortsWithoutOpeningTheDevice) {
  system.mutexWaitSucceeds = false;
  EXPECT_EQ(link->execute(Direction::In, 10, data, 2), result::kAborted);
  EXPECT_TRUE(system.calls.empty());
}

TEST_F(UsbTest, LoadAndEjectTellNotReadyFromOtherFailures) {
  EXPECT_TRUE(link->load());
  system.statuses = {{0x3A, 0x00}};
  system.readErrors[device + "\\if000pipe002"] = {0};
  system.submitError = 31;
  EXPECT_FALSE(link->eject());
  EXPECT_EQ(system.lastError, os::kErrorNotReady);  // a failed submission reads as "not ready"
  uint32_t value = 0;
  EXPECT_FALSE(link->queryDriveLetter(&value));
  EXPECT_EQ(system.lastError, os::kErrorNotSupported);
  EXPECT_TRUE(link->acquire());
}

}  // namespace
}  // namespace zrb2x::test
