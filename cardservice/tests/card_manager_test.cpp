#include "card_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace cardservice;

namespace {

// ---- Fake accessor modules ---------------------------------------------------

struct Call {
  int module;
  uint32_t code, socket, space, offset, length;
  void* data;
};

struct FakeModule {
  std::string fileVersion = "5.2.0.1";
  bool hasEntry = true;
  int32_t sockets = 1;
  int32_t result = CS_OK;
  DeviceRecord deviceToReturn{};
  DeviceRecord deviceReceived{};
};

constexpr int kFakeSlots = 11;
FakeModule gFake[kFakeSlots];
std::vector<Call> gCalls;

template <int N>
int32_t CS_STDCALL fakeEntry(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                             void* data) {
  FakeModule& m = gFake[N];
  if (code == FN_INFO) return m.sockets;
  gCalls.push_back({N, code, socket, space, offset, length, data});
  if (code == FN_GET_DEVICE && data) std::memcpy(data, &m.deviceToReturn, sizeof(DeviceRecord));
  if (code == FN_SET_DEVICE && data) std::memcpy(&m.deviceReceived, data, sizeof(DeviceRecord));
  return m.result;
}

template <int... N>
constexpr std::array<CardEntry, sizeof...(N)> makeEntries(std::integer_sequence<int, N...>) {
  return {fakeEntry<N>...};
}
const auto kEntries = makeEntries(std::make_integer_sequence<int, kFakeSlots>{});

struct Mismatch {
  std::string fileName;
  VersionNumbers module;
  uint32_t major, minor;
};

class FakeHost : public ModuleHost {
 public:
  std::map<std::string, int> present;  // file name -> fake slot
  std::vector<std::string> opened, closed;
  std::vector<Mismatch> mismatches;

  OpenedModule open(const char* fileName) override {
    auto it = present.find(fileName);
    if (it == present.end()) return {};
    opened.push_back(fileName);
    const FakeModule& m = gFake[it->second];
    return {reinterpret_cast<void*>(static_cast<uintptr_t>(it->second + 1)), m.fileVersion,
            m.hasEntry ? kEntries[it->second] : nullptr};
  }
  void close(void* handle) override {
    closed.push_back(std::to_string(reinterpret_cast<uintptr_t>(handle) - 1));
  }
  void reportVersionMismatch(const char* fileName, const VersionNumbers& module, uint32_t major,
                             uint32_t minor) override {
    mismatches.push_back({fileName, module, major, minor});
    if (whileShown) whileShown();
  }
  // Runs while the message is "on screen", as a message handled in the
  // message box's own loop would, on the same thread.
  std::function<void()> whileShown;
};

VersionNumbers managerVersion() { return parseVersionString("5.2.0.111"); }

class CardManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& m : gFake) m = FakeModule{};
    gCalls.clear();
  }
  // Makes module `slot` of the list present (list order: KORVAPT 0 ... VESKCIJV 10).
  void install(int slot, int32_t sockets, const char* version = "5.2.0.1") {
    gFake[slot].sockets = sockets;
    gFake[slot].fileVersion = version;
    host.present[accessorModuleList()[slot].fileName] = slot;
  }
  FakeHost host;
};

constexpr int kKorvapt = 0, kVeskci7fs = 2, kVeskci2xs = 6, kVeskciwn = 7, kVeskciht = 8;

// ---- Loading and numbering -----------------------------------------------------

TEST_F(CardManagerTest, OneAccessorWithTwoSocketsMapsGlobalToLocal) {
  install(kVeskci2xs, 2);
  CardManager manager(host, managerVersion());
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);

  ManagerInfo info{};
  EXPECT_EQ(manager.veskcm(FN_INFO, 7, 0, 0, sizeof info, &info), CS_OK);
  EXPECT_EQ(info.versionMajor, 5u);
  EXPECT_EQ(info.versionMinor, 2u);
  EXPECT_EQ(info.versionRelease, 0u);
  EXPECT_EQ(info.versionBuild, 111u);
  EXPECT_EQ(info.socketCount, 2u);
  EXPECT_EQ(info.socketCategory[0], 2u);
  EXPECT_EQ(info.socketCategory[1], 2u);

  uint8_t legacy[6] = {};
  EXPECT_EQ(manager.slotHubService(FN_INFO, nullptr, 6, legacy, 6), CS_OK);
  EXPECT_EQ(legacy[0], 2);  // minor
  EXPECT_EQ(legacy[1], 5);  // major
  EXPECT_EQ(legacy[2], 2);
  EXPECT_EQ(legacy[3], 0);
  EXPECT_EQ(legacy[4], 0);
  EXPECT_EQ(legacy[5], 2);

  uint8_t buffer[4];
  EXPECT_EQ(manager.veskcm(FN_READ, 1, 1, 0x40, 4, buffer), CS_OK);
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].module, kVeskci2xs);
  EXPECT_EQ(gCalls[0].socket, 1u);
  EXPECT_EQ(gCalls[0].space, 1u);
  EXPECT_EQ(gCalls[0].offset, 0x40u);
  EXPECT_EQ(gCalls[0].length, 4u);
  EXPECT_EQ(gCalls[0].data, buffer);
}

TEST_F(CardManagerTest, SocketsAreNumberedModuleByModuleInListOrder) {
  install(kVeskciht, 1);
  install(kKorvapt, 3);
  install(kVeskci2xs, 2);
  CardManager manager(host, managerVersion());
  ManagerInfo info{};
  ASSERT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  ASSERT_EQ(info.socketCount, 6u);
  const uint32_t categories[] = {0, 0, 0, 2, 2, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(info.socketCategory[i], categories[i]) << i;

  const struct {
    uint32_t global;
    int module;
    uint32_t local;
  } routes[] = {
      {0, kKorvapt, 0}, {2, kKorvapt, 2}, {3, kVeskci2xs, 0}, {4, kVeskci2xs, 1}, {5, kVeskciht, 0}};
  for (const auto& r : routes) {
    gCalls.clear();
    EXPECT_EQ(manager.veskcm(FN_STATUS, r.global, 0, 0, 0, nullptr), CS_OK);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].module, r.module) << r.global;
    EXPECT_EQ(gCalls[0].socket, r.local) << r.global;
  }
  EXPECT_EQ(manager.veskcm(FN_STATUS, 6, 0, 0, 0, nullptr), CS_BAD_SOCKET);
}

TEST_F(CardManagerTest, TotalIsCappedAt32AndLaterModulesAreNotLoaded) {
  install(kKorvapt, 20);
  install(kVeskci7fs, 10);
  install(kVeskci2xs, 5);  // only 2 of its 5 sockets get a number
  install(kVeskciht, 4);   // total already 32: never loaded
  CardManager manager(host, managerVersion());
  ManagerInfo info{};
  ASSERT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  EXPECT_EQ(info.socketCount, 32u);
  EXPECT_EQ(info.socketCategory[29], 1u);
  EXPECT_EQ(info.socketCategory[30], 2u);
  EXPECT_EQ(info.socketCategory[31], 2u);
  EXPECT_EQ(std::count(host.opened.begin(), host.opened.end(), "VESKCIHT.DLL"), 0);

  EXPECT_EQ(manager.veskcm(FN_STATUS, 31, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(gCalls.back().module, kVeskci2xs);
  EXPECT_EQ(gCalls.back().socket, 1u);
  EXPECT_EQ(manager.veskcm(FN_STATUS, 32, 0, 0, 0, nullptr), CS_BAD_SOCKET);

  uint8_t legacy[6] = {};
  manager.slotHubService(FN_INFO, nullptr, 6, legacy, 6);
  EXPECT_EQ(legacy[2], 32);
  EXPECT_EQ(legacy[3], 20);
  EXPECT_EQ(legacy[4], 10);
  EXPECT_EQ(legacy[5], 2);  // only numbered sockets are counted
}

TEST_F(CardManagerTest, ModulesThatCannotServeAreSkippedAndFreed) {
  install(kKorvapt, 3, "");  // no FileVersion
  install(1, 3, "none");     // FileVersion without a number
  install(kVeskci7fs, 0);    // no socket
  install(3, 2);
  gFake[3].hasEntry = false;  // no VESKCI
  install(kVeskci2xs, 1);
  CardManager manager(host, managerVersion());
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(manager.socketCount(), 1u);
  EXPECT_EQ(host.closed.size(), 4u);
  EXPECT_TRUE(host.mismatches.empty());
}

TEST_F(CardManagerTest, OnlyTheFirstTwoVersionNumbersMustMatch) {
  install(kVeskci2xs, 1, "5.3.0.1");
  install(kVeskciwn, 1, "5, 2, 9, 9");
  CardManager manager(host, managerVersion());
  ManagerInfo info{};
  manager.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info);
  EXPECT_EQ(info.socketCount, 1u);
  EXPECT_EQ(info.socketCategory[0], 2u);
  ASSERT_EQ(host.mismatches.size(), 1u);
  EXPECT_EQ(host.mismatches[0].fileName, "VESKCI2XS.DLL");
  EXPECT_EQ(host.mismatches[0].module.number[1], 3u);
  EXPECT_EQ(host.mismatches[0].module.number[3], 1u);
  EXPECT_EQ(host.mismatches[0].major, 5u);
  EXPECT_EQ(host.mismatches[0].minor, 2u);
}

TEST_F(CardManagerTest, CallsFromTheVersionMessagesLoopAreServed) {
  // The message box of a refused module runs a message loop on the calling
  // thread; the card utility's poll timer calls the manager from there.
  install(kVeskci2xs, 1, "5.3.0.1");
  install(kVeskciwn, 2);
  CardManager manager(host, managerVersion());
  std::vector<int32_t> nested;
  host.whileShown = [&] {
    uint8_t status = 0;
    nested.push_back(manager.veskcm(FN_STATUS, 1, 0, 0, 1, &status));
    nested.push_back(manager.veskcm(FN_STATUS, 2, 0, 0, 1, &status));
  };
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(nested, (std::vector<int32_t>{CS_OK, CS_BAD_SOCKET}));
  EXPECT_EQ(host.mismatches.size(), 1u);
}

TEST_F(CardManagerTest, ANestedLoadStacksNoSecondVersionMessage) {
  // Nothing loads, so every call loads the list again, and each would tell
  // the user again from inside the message before it.
  install(kVeskci2xs, 1, "6.0.0.0");
  CardManager manager(host, managerVersion());
  int depth = 0;
  host.whileShown = [&] {
    if (++depth > 3) return;  // bounds the test should the messages stack
    EXPECT_EQ(manager.veskcm(FN_READ, 0, 0, 0, 1, nullptr), CS_BAD_SOCKET);
    EXPECT_EQ(manager.veskcm(FN_CLOSE, 0, 0, 0, 0, nullptr), CS_OK);
  };
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_DEVICE_FAILURE);
  EXPECT_EQ(host.mismatches.size(), 1u);
  // Once the message is closed, the next load tells it again.
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_DEVICE_FAILURE);
  EXPECT_EQ(host.mismatches.size(), 2u);
}

TEST_F(CardManagerTest, WithoutAnySocketEveryCallLoadsAgain) {
  install(kVeskci2xs, 1, "6.0.0.0");
  CardManager manager(host, managerVersion());
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_DEVICE_FAILURE);
  EXPECT_EQ(manager.veskcm(FN_READ, 0, 0, 0, 1, nullptr), CS_BAD_SOCKET);
  SlotRequest request{0, 0, 0};
  EXPECT_EQ(manager.slotHubService(FN_OPEN, nullptr, 0, nullptr, 0), CS_DEVICE_FAILURE);
  EXPECT_EQ(manager.slotHubService(FN_STATUS, &request, 6, nullptr, 1), CS_BAD_SOCKET);
  ManagerInfo info{};
  info.socketCount = 99;
  EXPECT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  EXPECT_EQ(info.socketCount, 0u);
  // The wrong version is told again each time the list is loaded again.
  EXPECT_EQ(host.mismatches.size(), 5u);
}

TEST_F(CardManagerTest, CloseUnloadsAndTheNextCallLoadsAgain) {
  install(kVeskci2xs, 2);
  CardManager manager(host, managerVersion());
  EXPECT_EQ(manager.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(manager.veskcm(FN_CLOSE, 0, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(host.closed.size(), 1u);
  EXPECT_EQ(manager.slotHubService(FN_CLOSE, nullptr, 0, nullptr, 0), CS_OK);  // nothing left to close
  EXPECT_EQ(host.closed.size(), 1u);
  EXPECT_EQ(manager.veskcm(FN_STATUS, 1, 0, 0, 0, nullptr), CS_OK);
  EXPECT_EQ(host.opened.size(), 2u);
}

// ---- Manager information -------------------------------------------------------

TEST_F(CardManagerTest, ManagerInfoNeverWritesPastTheCallersLength) {
  install(kVeskci2xs, 2);
  CardManager manager(host, managerVersion());
  uint8_t bytes[sizeof(ManagerInfo)];
  for (uint32_t length : {0u, 12u, 20u, 24u}) {
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, length, bytes), CS_OK);
    for (uint32_t i = length; i < sizeof bytes; ++i) ASSERT_EQ(bytes[i], 0xEE) << "length " << length;
  }
  // A length between whole fields gets only the whole ones: never half a
  // category entry (nor half a header field) that reads as another value.
  for (uint32_t length : {2u, 18u, 21u, 22u, 23u, 27u}) {
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, length, bytes), CS_OK);
    const uint32_t whole = length - length % 4;
    for (uint32_t i = whole; i < sizeof bytes; ++i) ASSERT_EQ(bytes[i], 0xEE) << "length " << length;
    if (whole >= 24) {
      EXPECT_EQ(bytes[20], 2) << "length " << length;
    }
  }
  std::memset(bytes, 0xEE, sizeof bytes);
  manager.veskcm(FN_INFO, 0, 0, 0, sizeof bytes, bytes);
  EXPECT_EQ(bytes[28], 0xEE);  // two categories end at byte 28
  EXPECT_EQ(manager.veskcm(FN_INFO, 0, 0, 0, sizeof bytes, nullptr), CS_BAD_PARAMETER);
}

TEST_F(CardManagerTest, LegacyManagerInfoWritesCategoryCountersAsFarAsTheyFit) {
  install(kKorvapt, 1);
  install(kVeskci7fs, 2);
  install(kVeskci2xs, 3);
  CardManager manager(host, managerVersion());
  for (uint32_t length = 3; length <= 6; ++length) {
    uint8_t bytes[8];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(manager.slotHubService(FN_INFO, nullptr, 6, bytes, length), CS_OK);
    EXPECT_EQ(bytes[2], 6);
    const uint8_t expected[] = {1, 2, 3};
    for (uint32_t i = 3; i < 8; ++i)
      EXPECT_EQ(bytes[i], i < length ? expected[i - 3] : 0xEE) << "length " << length << " byte " << i;
  }
}

// ---- Legacy entry --------------------------------------------------------------

TEST_F(CardManagerTest, LegacyDeviceCallsNeedAnEightByteRecord) {
  install(kVeskci2xs, 1);
  CardManager manager(host, managerVersion());
  SlotRequest request{0, 0, 0};
  LegacyDeviceRecord legacy{};
  EXPECT_EQ(manager.slotHubService(FN_GET_DEVICE, &request, 6, &legacy, 6), CS_BAD_PARAMETER);
  EXPECT_EQ(manager.slotHubService(FN_SET_DEVICE, &request, 6, &legacy, 32), CS_BAD_PARAMETER);
  EXPECT_EQ(manager.slotHubService(FN_GET_DEVICE, &request, 6, nullptr, 8), CS_BAD_PARAMETER);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(CardManagerTest, LegacyGetDeviceTranslatesTheModulesRecord) {
  install(kVeskci2xs, 2);
  gFake[kVeskci2xs].deviceToReturn = {KIND_FLASH, 0x400000, 0x1234A289, 2, 0x200000, 0x20000, 2, 120};
  CardManager manager(host, managerVersion());
  SlotRequest request{1, 1, 0x2000};
  LegacyDeviceRecord legacy{};
  EXPECT_EQ(manager.slotHubService(0x10000 | FN_GET_DEVICE, &request, 6, &legacy, 8),
            CS_OK);  // high bits ignored
  EXPECT_EQ(legacy.type, 3);
  EXPECT_EQ(legacy.chipId, 0xA289);
  const uint32_t size = legacy.size;
  EXPECT_EQ(size, 0x400000u);
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].socket, 1u);
  EXPECT_EQ(gCalls[0].space, 1u);
  EXPECT_EQ(gCalls[0].offset, 0x2000u);
  EXPECT_EQ(gCalls[0].length, 8u);
}

TEST_F(CardManagerTest, LegacySetDeviceBuildsTheFullRecord) {
  install(kVeskci2xs, 1);
  CardManager manager(host, managerVersion());
  SlotRequest request{0, 0, 0};
  LegacyDeviceRecord legacy{131, 0, 0x100000};
  EXPECT_EQ(manager.slotHubService(FN_SET_DEVICE, &request, 6, &legacy, 8), CS_OK);
  const DeviceRecord& got = gFake[kVeskci2xs].deviceReceived;
  EXPECT_EQ(got.kind, 5u);
  EXPECT_EQ(got.family, 130u);
  EXPECT_EQ(got.chipId, 0xA289u);
  EXPECT_EQ(got.size, 0x100000u);
  EXPECT_EQ(got.voltage, 120u);
}

TEST_F(CardManagerTest, LegacyResultsAreSixteenBitValues) {
  install(kVeskci2xs, 1);
  gFake[kVeskci2xs].result = 0x12345;
  CardManager manager(host, managerVersion());
  SlotRequest request{0, 0, 0};
  uint8_t byte;
  EXPECT_EQ(manager.slotHubService(FN_READ, &request, 6, &byte, 1), 0x2345);
  gFake[kVeskci2xs].result = 0x18000;
  EXPECT_EQ(manager.slotHubService(FN_READ, &request, 6, &byte, 1), -0x8000);
  EXPECT_EQ(manager.veskcm(FN_READ, 0, 0, 0, 1, &byte), 0x18000);  // the main entry passes it whole
  EXPECT_EQ(manager.slotHubService(FN_READ, nullptr, 6, &byte, 1), CS_BAD_PARAMETER);
}

TEST_F(CardManagerTest, UnknownCodesAreForwardedUnchanged) {
  install(kVeskci2xs, 1);
  gFake[kVeskci2xs].result = CS_NOT_SUPPORTED;
  CardManager manager(host, managerVersion());
  EXPECT_EQ(manager.veskcm(77, 0, 3, 4, 5, nullptr), CS_NOT_SUPPORTED);
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].code, 77u);
  EXPECT_EQ(gCalls[0].space, 3u);
}

}  // namespace
