// The pipe binding against the service's request server over virtual
// reader-writers: every device operation gives what the in-process binding
// gives, with the data intact in both directions.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "fake_transport.h"
#include "in_process_devices.h"
#include "pipe_devices.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"

namespace zrb2x::pipe {
namespace {

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    addReader("r0", virt::CardTemplate::Sram);
    addReader("r1", virt::CardTemplate::Ata);
    serviceDevices = InProcessDevices::forVirtualReaders(scratch.path());
    ASSERT_TRUE(serviceDevices->OpenLibrary());
    dispatcher = std::make_unique<service::RequestDispatcher>(*serviceDevices);
    dispatcher->enumerate();
    client = std::make_unique<PipeDevices>(std::make_unique<test::LoopbackTransport>(*dispatcher));
    ASSERT_TRUE(client->OpenLibrary());
  }
  void addReader(const std::string& name, virt::CardTemplate card) {
    ASSERT_EQ(virt::createReader(scratch.path() / name, {}), "");
    ASSERT_EQ(virt::insertCard(scratch.path() / name, card, {}), "");
  }
  // The card change that inserting causes is answered once; get past it.
  void settle(uint32_t device) {
    uint32_t status = 0;
    for (int i = 0; i < 3 && client->GetStatus(device, &status) != 0; ++i) {
    }
  }

  zrb::test::ScratchDir scratch;
  std::unique_ptr<InProcessDevices> serviceDevices;
  std::unique_ptr<service::RequestDispatcher> dispatcher;
  std::unique_ptr<PipeDevices> client;
};

TEST_F(LoopbackTest, CountStatusAndRegionTableComeThroughThePipe) {
  EXPECT_EQ(client->CountDevices(), 2u);
  settle(0);
  uint32_t viaPipe = 0, direct = 0;
  EXPECT_EQ(client->GetStatus(0, &viaPipe), 0u);
  EXPECT_EQ(serviceDevices->GetStatus(0, &direct), 0u);
  EXPECT_EQ(viaPipe, direct);
  DeviceTable table{};
  EXPECT_EQ(client->ReadDeviceTable(0, &table), 0u);
  uint32_t valid = table.valid, kind = table.region[0].kind, size = table.region[0].size;
  EXPECT_EQ(valid, 1u);
  EXPECT_EQ(kind, 6u);  // SRAM
  EXPECT_GT(size, 0u);
  table.region[0].size = size / 2;
  EXPECT_EQ(client->WriteDeviceTable(0, &table), 0u);
  DeviceTable back{};
  EXPECT_EQ(serviceDevices->ReadDeviceTable(0, &back), 0u);
  uint32_t newSize = back.region[0].size;
  EXPECT_EQ(newSize, size / 2);
  EXPECT_EQ(client->GetStatus(2, &viaPipe), status::kNoSuchDevice);
}

TEST_F(LoopbackTest, CommonAndAttributeMemoryRoundTrip) {
  settle(0);
  std::vector<uint8_t> pattern(65536);
  std::iota(pattern.begin(), pattern.end(), 0);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] ^= static_cast<uint8_t>(i >> 8);
  EXPECT_EQ(client->WriteCommon(0, 0x10000, 65536, pattern.data()), 0u);
  std::vector<uint8_t> back(65536);
  EXPECT_EQ(client->ReadCommon(0, 0x10000, 65536, back.data()), 0u);
  EXPECT_EQ(back, pattern);
  // Odd start and length go through the device library's word rules.
  uint8_t three[4] = {};
  EXPECT_EQ(client->ReadCommon(0, 0x10001, 3, three), 0u);
  EXPECT_EQ(three[0], pattern[1]);
  EXPECT_EQ(three[2], pattern[3]);

  EXPECT_EQ(client->EraseMemory(0, 0, 0x10000, 0x100), 0u);
  EXPECT_EQ(client->ReadCommon(0, 0x10000, 4, three), 0u);
  EXPECT_EQ(three[0], 0xFF);

  uint8_t attribute[4] = {0x11, 0x22, 0x33, 0x44};
  EXPECT_EQ(client->WriteAttribute(0, 0x100, 4, attribute), 0u);
  uint8_t read[4] = {};
  EXPECT_EQ(client->ReadAttribute(0, 0x100, 4, read), 0u);
  EXPECT_EQ(read[0], 0x11);
  EXPECT_EQ(read[1], 0xFF);
  EXPECT_EQ(read[2], 0x33);
}

TEST_F(LoopbackTest, ReadingNothingIsRefusedThroughThePipeButNotInProcess) {
  settle(0);
  uint8_t byte = 0;
  EXPECT_EQ(client->ReadCommon(0, 0, 0, &byte), status::kMissingData);
  EXPECT_EQ(serviceDevices->ReadCommon(0, 0, 0, &byte), 0u);
}

TEST_F(LoopbackTest, AtaSectorsAndIdentify) {
  settle(1);
  std::vector<uint8_t> sectors(4 * 512);
  for (size_t i = 0; i < sectors.size(); ++i) sectors[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(client->WriteSectors(1, 10, 4, sectors.data(), 512), 0u);
  std::vector<uint8_t> back(sectors.size());
  EXPECT_EQ(client->ReadSectors(1, 10, 4, back.data(), 512), 0u);
  EXPECT_EQ(back, sectors);
  AtaGeometry viaPipe{}, direct{};
  EXPECT_EQ(client->AtaIdentify(1, &viaPipe), 0u);
  EXPECT_EQ(serviceDevices->AtaIdentify(1, &direct), 0u);
  EXPECT_EQ(viaPipe.totalSectors, direct.totalSectors);
  EXPECT_GT(viaPipe.totalSectors, 0u);
  EXPECT_EQ(viaPipe.heads, direct.heads);
}

TEST_F(LoopbackTest, APulledCardIsReportedAsNoCard) {
  settle(0);
  ASSERT_EQ(virt::removeCard(scratch.path() / "r0"), "");
  uint8_t data[2];
  uint32_t result = client->ReadCommon(0, 0, 2, data);
  EXPECT_TRUE((result & 0xFF) == 2 || (result & 0xFF) == 6) << std::hex << result;
}

TEST_F(LoopbackTest, FirmwareIsCheckedByTheReaderAsInProcess) {
  settle(0);
  LibraryOperations& viaPipe = *client;
  // Neither the length nor the checksum of a firmware image: the reader refuses it.
  std::vector<uint8_t> image(1024, 0x5A);
  uint32_t refused = viaPipe.DownloadFirmware(0, image.data(), static_cast<uint32_t>(image.size()));
  EXPECT_NE(refused, 0u);
  EXPECT_EQ(refused, serviceDevices->DownloadFirmware(0, image.data(), static_cast<uint32_t>(image.size())));
  EXPECT_EQ(viaPipe.Identity(0), "") << "the pipe names devices by number only";
}

TEST_F(LoopbackTest, AReaderAddedIsCountedAfterADeviceChange) {
  EXPECT_EQ(client->CountDevices(), 2u);
  addReader("r2", virt::CardTemplate::Sram);
  EXPECT_EQ(client->CountDevices(), 2u);
  dispatcher->noteDeviceChange();
  EXPECT_EQ(client->CountDevices(), 3u);
}

}  // namespace
}  // namespace zrb2x::pipe
