// Building the device list from transport layers, the card status with its
// kept value, ATA identify, and the library's open rules.
#include <gtest/gtest.h>

#include <memory>

#include "ata_operations.h"
#include "card_status.h"
#include "device_library.h"
#include "device_result.h"
#include "recording_link.h"

namespace zrb2x::test {
namespace {

// Answers inquiry as a reader-writer of the given revision and status with 0x30B.
void answerAsReader(RecordingLink& link, const char* revision, uint32_t inquiryResult = 0) {
  link.answer = [revision, inquiryResult](const RecordedCall& call, uint8_t* data) -> uint32_t {
    if (call.cdb[0] == 0x12) {
      std::memcpy(data + 8, "VELMO   ZRB-22G         ", 24);
      std::memcpy(data + 32, revision, 4);
      return inquiryResult;
    }
    if (call.cdb[0] == 0x13) putLittle32(data, 0x30B);
    return 0;
  };
}

class FakeLayer : public DeviceLayer {
 public:
  FakeLayer(uint32_t devices, bool opens = true) : opens_(opens) {
    for (uint32_t i = 0; i < devices; ++i) {
      links.push_back(std::make_unique<RecordingLink>());
      answerAsReader(*links.back(), "2.00");
    }
  }
  bool open() override {
    ++opened;
    return opens_;
  }
  void close() override { ++closed; }
  uint32_t scan(uint32_t limit) override {
    lastLimit = limit;
    return std::min<uint32_t>(limit, static_cast<uint32_t>(links.size()));
  }
  DeviceLink* link(uint32_t index) override { return links[index].get(); }

  std::vector<std::unique_ptr<RecordingLink>> links;
  int opened = 0, closed = 0;
  uint32_t lastLimit = 0;

 private:
  bool opens_;
};

TEST(DeviceList, SixtyScsiAndTenUsbDevicesGiveSixtyFour) {
  FakeLayer scsi(60), usb(10), virtuals(3);
  const auto list = buildDeviceList({&scsi, &usb, &virtuals});
  ASSERT_EQ(list.size(), 64u);
  EXPECT_EQ(usb.lastLimit, 4u);
  EXPECT_EQ(list[59].link, scsi.links[59].get());
  EXPECT_EQ(list[60].link, usb.links[0].get());
  EXPECT_EQ(list[63].link, usb.links[3].get());
  EXPECT_EQ(list[63].index, 3u);
  EXPECT_EQ(virtuals.lastLimit, 0u);
  EXPECT_TRUE(usb.links[4]->calls.empty());
}

TEST(DeviceList, StatusAndInquiryAreReadOncePerDevice) {
  FakeLayer scsi(1), usb(1);
  answerAsReader(*usb.links[0], "1.50");
  const auto list = buildDeviceList({&scsi, &usb});
  ASSERT_EQ(list.size(), 2u);
  ASSERT_EQ(usb.links[0]->calls.size(), 2u);
  EXPECT_EQ(usb.links[0]->calls[0].cdb[0], 0x13);
  EXPECT_EQ(usb.links[0]->calls[1].cdb[0], 0x12);
  EXPECT_EQ(list[1].lastStatus, 0x30Bu);
  EXPECT_EQ(list[1].firmwareRevision, 0x312E3530u);
  EXPECT_EQ(list[1].downloadMethod, DownloadMethod::SingleCommand);
  EXPECT_EQ(list[0].downloadMethod, DownloadMethod::Pieces);
}

TEST(DeviceList, AnyFailedInquiryEmptiesTheList) {
  FakeLayer scsi(2), usb(1);
  answerAsReader(*scsi.links[1], "2.00", result::kHardwareError);
  EXPECT_TRUE(buildDeviceList({&scsi, &usb}).empty());
}

TEST(CardStatus, KeptStatusAnswersWhileAnotherProcessHoldsTheDevice) {
  RecordingLink link;
  DeviceEntry entry;
  entry.link = &link;
  uint32_t answer = 0;
  uint32_t word = 0x30B;
  link.answer = [&](const RecordedCall&, uint8_t* data) {
    putLittle32(data, word);
    return answer;
  };
  uint32_t status = 0;
  ASSERT_EQ(readCardStatus(entry, &status), 0u);
  answer = result::kAborted;
  word = 0;
  EXPECT_EQ(readCardStatus(entry, &status), 0u);
  EXPECT_EQ(status, 0x30Bu);
  // No card and unit attention still describe the slot: kept, and a success.
  for (uint32_t answerWithStatus : {result::kNotReady, result::kMediumNotPresent, result::kCardChanged}) {
    answer = answerWithStatus;
    word = 0x3;
    EXPECT_EQ(readCardStatus(entry, &status), 0u);
    EXPECT_EQ(status, 0x3u);
    EXPECT_EQ(entry.lastStatus, 0x3u);
  }
  // Other failures are not a status.
  answer = result::kHardwareError;
  word = 0x999;
  EXPECT_EQ(readCardStatus(entry, &status), result::kHardwareError);
  EXPECT_EQ(entry.lastStatus, 0x3u);
}

TEST(Ata, IdentifyTakesCurrentGeometryWhenWord54IsSet) {
  for (bool current : {true, false}) {
    RecordingLink link;
    link.answer = [current](const RecordedCall& call, uint8_t* data) {
      if (call.cdb[2] == 5) {
        std::memset(data, 0, 512);
        auto word = [&](int i, uint32_t v) { putLittle16(data + 2 * i, v); };
        word(1, 100), word(3, 8), word(6, 16), word(60, 0x5678), word(61, 0x1234);
        if (current) word(54, 200), word(55, 4), word(56, 32);
      }
      return 0u;
    };
    AtaGeometry g{};
    ASSERT_EQ(ataIdentify(link, &g), 0u);
    EXPECT_EQ(g.totalSectors, 0x12345678u);
    EXPECT_EQ(g.cylinders, current ? 200u : 100u);
    EXPECT_EQ(g.heads, current ? 4u : 8u);
    EXPECT_EQ(g.sectorsPerTrack, current ? 32u : 16u);
    ASSERT_EQ(link.calls.size(), 3u);
    EXPECT_EQ(link.calls[0].sent[6], 0xE0);
    EXPECT_EQ(link.calls[0].sent[7], 0xEC);
  }
}

TEST(Ata, DataCommandsWithoutDataAreAbortedWithoutACommand) {
  RecordingLink link;
  uint8_t taskFile[16] = {};
  uint8_t sector[512];
  EXPECT_EQ(ataCommandDataIn(link, taskFile, nullptr, 1), result::kAborted);
  EXPECT_EQ(ataCommandDataOut(link, taskFile, sector, 0), result::kAborted);
  EXPECT_TRUE(link.calls.empty());
  ASSERT_EQ(ataCommandNoData(link, taskFile), 0u);
  ASSERT_EQ(link.calls.size(), 3u);
  EXPECT_EQ(link.calls[1].cdb[2], 3);
}

TEST(Library, RealLayersOpenTogetherAndTheVirtualLayerOnItsOwn) {
  auto scsi = std::make_unique<FakeLayer>(1), usb = std::make_unique<FakeLayer>(1, /*opens=*/false);
  auto virtuals = std::make_unique<FakeLayer>(2);
  FakeLayer *scsiPtr = scsi.get(), *virtualPtr = virtuals.get();
  std::vector<std::unique_ptr<DeviceLayer>> real;
  real.push_back(std::move(scsi));
  real.push_back(std::move(usb));
  DeviceLibrary library(std::move(real), std::move(virtuals));
  ASSERT_TRUE(library.open());
  EXPECT_EQ(scsiPtr->closed, 1);  // the SCSI layer is closed again when the USB layer fails
  EXPECT_EQ(library.countDevices(), 2u);
  EXPECT_EQ(library.entry(0)->link, virtualPtr->links[0].get());
  EXPECT_EQ(library.entry(2), nullptr);
  library.close();
  EXPECT_EQ(virtualPtr->closed, 1);
}

}  // namespace
}  // namespace zrb2x::test
