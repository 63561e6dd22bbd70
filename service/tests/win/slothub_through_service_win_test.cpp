// The whole road on an NT-family system: a program calls slothub.dll, which
// calls veskci2xs.dll, which sends every device operation over the pipe to
// the installed service, which drives the virtual reader-writers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "card_service.h"
#include "in_process_devices.h"
#include "scratch_dir.h"
#include "service_control.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win/slothub_session.h"

namespace zrb2x::service::test {
namespace {

using namespace cardservice;
using virt::CardTemplate;

constexpr uint8_t kReady = 0xC8;  // present, usable, batteries good, ready signal

using zrb::test::SlotHub;

std::vector<uint8_t> pattern(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  return bytes;
}

bool allFF(const std::vector<uint8_t>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
}

class SlotHubThroughService : public ::testing::Test {
 protected:
  void SetUp() override {
    const CardTemplate cards[] = {CardTemplate::Sram, CardTemplate::Flash28F008, CardTemplate::Ata};
    for (size_t i = 0; i < 3; ++i) {
      ASSERT_EQ(virt::createReader(reader(i), {}), "");
      ASSERT_EQ(virt::insertCard(reader(i), cards[i], {}), "");
    }
    ASSERT_TRUE(setMachineVirtualFolder(scratch.path().string()));
    ASSERT_TRUE(service.installAndStart());
    hub = std::make_unique<SlotHub>();
    ASSERT_TRUE(hub->loaded());
    ASSERT_EQ(hub->veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
  }
  void TearDown() override {
    hub.reset();
    service.remove();
    setMachineVirtualFolder("");
  }
  std::filesystem::path reader(size_t socket) {
    return scratch.path() / ("reader" + std::to_string(10 + socket));
  }
  uint8_t status(uint8_t socket) {
    uint8_t byte = 0;
    EXPECT_EQ(hub->service(FN_STATUS, socket, 0, 0, &byte, 1), CS_OK);
    return byte;
  }
  std::vector<uint8_t> read(uint8_t socket, uint8_t space, uint32_t offset, uint32_t length,
                            int32_t expected = CS_OK) {
    std::vector<uint8_t> bytes(length, 0x5A);
    EXPECT_EQ(hub->service(FN_READ, socket, space, offset, bytes.data(), length), expected);
    return bytes;
  }
  int32_t write(uint8_t socket, uint8_t space, uint32_t offset, std::vector<uint8_t> bytes) {
    return hub->service(FN_WRITE, socket, space, offset, bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  int32_t erase(uint8_t socket, uint32_t offset, uint32_t length) {
    return hub->service(FN_ERASE, socket, 0, offset, nullptr, length);
  }

  zrb::test::ScratchDir scratch;
  ServiceManager service;
  std::unique_ptr<SlotHub> hub;
};

TEST_F(SlotHubThroughService, EveryReaderIsASocketOfCategory2) {
  ManagerInfo info = hub->info();
  const uint32_t count = info.socketCount;
  ASSERT_EQ(count, 3u);
  for (uint32_t s = 0; s < 3; ++s) {
    const uint32_t category = info.socketCategory[s];
    EXPECT_EQ(category, 2u);
    EXPECT_EQ(status(static_cast<uint8_t>(s)), kReady) << s;
  }
}

TEST_F(SlotHubThroughService, RegionsReadWriteEraseSetDeviceLockAndFlush) {
  for (uint8_t s = 0; s < 3; ++s) ASSERT_EQ(status(s), kReady);
  LegacyDeviceRecord sram{}, flash{}, ata{};
  ASSERT_EQ(hub->service(FN_GET_DEVICE, 0, 0, 0, &sram, sizeof sram), CS_OK);
  ASSERT_EQ(hub->service(FN_GET_DEVICE, 1, 0, 0, &flash, sizeof flash), CS_OK);
  ASSERT_EQ(hub->service(FN_GET_DEVICE, 2, 0, 0, &ata, sizeof ata), CS_OK);
  const uint16_t sramType = sram.type, flashType = flash.type, ataType = ata.type;
  EXPECT_EQ(sramType, 0);
  EXPECT_EQ(flashType, 3);
  EXPECT_EQ(ataType, 8);

  // Memory cards: write, read back, erase (flash must be erased before it is programmed).
  for (uint8_t s : {0, 1}) {
    ASSERT_EQ(erase(s, 0, 0x20000), CS_OK);
    const auto data = pattern(70001, s);
    ASSERT_EQ(write(s, 0, 0x11, data), CS_OK) << int(s);
    EXPECT_EQ(read(s, 0, 0x11, 70001), data) << int(s);
    ASSERT_EQ(erase(s, 0, 0x20000), CS_OK);
    EXPECT_TRUE(allFF(read(s, 0, 0, 0x20000))) << int(s);
  }

  // Set device: the SRAM card's region becomes half its size, read back as such.
  DeviceRecord record{};
  ASSERT_EQ(hub->veskcm(FN_GET_DEVICE, 0, 0, 0, sizeof record, &record), CS_OK);
  const uint32_t size = record.size;
  record.size = size / 2;
  ASSERT_EQ(hub->veskcm(FN_SET_DEVICE, 0, 0, 0, sizeof record, &record), CS_OK);
  DeviceRecord back{};
  ASSERT_EQ(hub->veskcm(FN_GET_DEVICE, 0, 0, 0, sizeof back, &back), CS_OK);
  const uint32_t newSize = back.size;
  EXPECT_EQ(newSize, size / 2);

  // Lock and release through the service.
  int32_t take = 1, release = 0;
  EXPECT_EQ(hub->service(FN_LOCK, 0, 0, 0, &take, 4), CS_OK);
  EXPECT_EQ(hub->service(FN_LOCK, 0, 0, 0, &release, 4), CS_OK);

  // ATA: an odd single byte goes through the sector cache until the flush.
  const auto sector = pattern(1024, 9);
  ASSERT_EQ(write(2, 0, 512, sector), CS_OK);
  EXPECT_EQ(read(2, 0, 512, 1024), sector);
  ASSERT_EQ(write(2, 0, 513, {0xAB}), CS_OK);
  auto onCard = [&] {  // the card itself, past the accessor's cache
    auto direct = InProcessDevices::forVirtualReaders(scratch.path());
    uint8_t sector[512] = {};
    uint32_t word = 0;
    direct->OpenLibrary();
    direct->CountDevices();
    direct->GetStatus(2, &word);
    EXPECT_EQ(direct->ReadSectors(2, 1, 1, sector, 512), 0u);
    return sector[1];
  };
  EXPECT_EQ(onCard(), sector[1]);
  EXPECT_EQ(hub->service(FN_FLUSH, 2, 0, 0, nullptr, 0), CS_OK);
  EXPECT_EQ(onCard(), 0xAB);
  EXPECT_EQ(read(2, 0, 513, 1)[0], 0xAB);
}

TEST_F(SlotHubThroughService, ReadingNothingIsAReadErrorThroughThePipe) {
  ASSERT_EQ(status(0), kReady);
  uint8_t byte = 0;
  EXPECT_EQ(hub->service(FN_READ, 0, 0, 0, &byte, 0), CS_READ_ERROR);
}

TEST_F(SlotHubThroughService, ACardPulledBetweenCallsIsNoCard) {
  ASSERT_EQ(status(0), kReady);
  ASSERT_EQ(virt::removeCard(reader(0)), "");
  EXPECT_EQ(status(0) & STATUS_CARD_PRESENT, 0);
  read(0, 0, 0, 16, CS_READ_ERROR);
  ASSERT_EQ(virt::insertCard(reader(0), CardTemplate::Sram, {}), "");
  EXPECT_EQ(status(0), kReady);
  read(0, 0, 0, 16);
}

TEST_F(SlotHubThroughService, WithTheServiceStoppedTheManagerHasNoReaderSocket) {
  hub.reset();
  ASSERT_TRUE(service.requestStop());
  ASSERT_TRUE(service.waitFor(SERVICE_STOPPED));
  hub = std::make_unique<SlotHub>();
  ASSERT_TRUE(hub->loaded());
  hub->veskcm(FN_OPEN, 0, 0, 0, 0, nullptr);
  ManagerInfo info = hub->info();
  const uint32_t count = info.socketCount;
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t category = info.socketCategory[s];
    EXPECT_NE(category, 2u);
  }
  EXPECT_EQ(LoadLibraryA((zrb::test::deliverableDirectory() + "\\veskci2xs.dll").c_str()), nullptr);
}

}  // namespace
}  // namespace zrb2x::service::test
