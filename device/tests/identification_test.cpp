// Inquiry identification, the region table's raw format, CRC-32/BZIP2 and
// the firmware download methods.
#include <gtest/gtest.h>

#include <cstring>

#include "crc32_bzip2.h"
#include "device_result.h"
#include "firmware_download.h"
#include "inquiry.h"
#include "recording_link.h"
#include "region_table_codec.h"

namespace zrb2x::test {
namespace {

std::vector<uint8_t> inquiryData(const char* vendor, const void* product, const char* revision) {
  std::vector<uint8_t> d(36, 0);
  std::memcpy(d.data() + 8, vendor, 8);
  std::memcpy(d.data() + 16, product, 16);
  std::memcpy(d.data() + 32, revision, 4);
  return d;
}

TEST(Identification, OnlyTheExactVendorAndSpacePaddedProductsAreReaders) {
  EXPECT_TRUE(isFamilyReader(inquiryData("VELMO   ", "ZRB-22G         ", "2.00").data()));
  EXPECT_TRUE(isFamilyReader(inquiryData("VELMO   ", "ZRB-22H         ", "1.00").data()));
  const char nulPadded[16] = {'Z', 'R', 'B', '-', '2', '2', 'G'};
  EXPECT_FALSE(isFamilyReader(inquiryData("VELMO   ", nulPadded, "2.00").data()));
  EXPECT_FALSE(isFamilyReader(inquiryData("VELMO\0\0\0", "ZRB-22G         ", "2.00").data()));
  EXPECT_FALSE(isFamilyReader(inquiryData("VELMO   ", "ZRB-22X         ", "2.00").data()));
  EXPECT_EQ(firmwareRevisionOf(inquiryData("VELMO   ", "ZRB-22G         ", "1.79").data()), 0x312E3739u);
}

std::vector<uint8_t> rawTable() {
  std::vector<uint8_t> raw(42, 0);
  raw[0] = 41;
  raw[2] = 5;     // region 0: flash
  raw[3] = 3;     // device code
  raw[5] = 0x20;  // size 0x00200000 big-endian
  raw[8] = 0x89;  // chip 0xA289 little-endian
  raw[9] = 0xA2;
  raw[34] = 4;  // attribute: EEPROM, size 0x1000
  raw[38] = 0x10;
  return raw;
}

TEST(RegionTable, RawTableConvertsFieldByField) {
  const DeviceTable t = decodeRegionTable(rawTable().data(), 0x322E3030);
  const RegionEntry r0 = t.region[0], attribute = t.region[4], r1 = t.region[1];
  EXPECT_EQ(t.valid, 1u);
  EXPECT_EQ(r0.kind, 5u);
  EXPECT_EQ(r0.deviceCode, 3u);
  EXPECT_EQ(r0.size, 0x200000u);
  EXPECT_EQ(r0.chipId, 0xA289u);
  EXPECT_EQ(attribute.kind, 4u);
  EXPECT_EQ(attribute.size, 0x1000u);
  EXPECT_EQ(r1.kind, 0u);
  uint8_t back[42];
  encodeRegionTable(t, 0x322E3030, back);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 42), rawTable());
}

TEST(RegionTable, FirmwareBefore200KeepsTheAttributeSizeInWords) {
  const DeviceTable old = decodeRegionTable(rawTable().data(), revisionFromText("1.99"));
  const RegionEntry oldAttribute = old.region[4], oldCommon = old.region[0];
  EXPECT_EQ(oldAttribute.size, 0x2000u);
  EXPECT_EQ(oldCommon.size, 0x200000u);  // common regions are always bytes
  const DeviceTable current = decodeRegionTable(rawTable().data(), revisionFromText("2.00"));
  const RegionEntry currentAttribute = current.region[4];
  EXPECT_EQ(currentAttribute.size, 0x1000u);
  uint8_t back[42];
  encodeRegionTable(old, revisionFromText("1.99"), back);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 42), rawTable());
}

TEST(Firmware, CrcIsTheBzip2Variant) {
  EXPECT_EQ(crc32Bzip2(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xFC891918u);
  EXPECT_EQ(crc32Bzip2(nullptr, 0), 0u);
}

TEST(Firmware, MethodFollowsTheRevision) {
  EXPECT_EQ(downloadMethodFor(revisionFromText("1.78")), DownloadMethod::SingleCommand);
  EXPECT_EQ(downloadMethodFor(revisionFromText("1.79")), DownloadMethod::Pieces);
}

TEST(Firmware, SingleCommandSendsAnEvenCountWithoutReadingPastTheImage) {
  RecordingLink link;
  std::vector<uint8_t> image(0x101, 0x5A);
  ASSERT_EQ(downloadFirmware(link, DownloadMethod::SingleCommand, image.data(), 0x101), 0u);
  ASSERT_EQ(link.calls.size(), 1u);
  EXPECT_EQ(link.calls[0].cdb, bytes({0x3B, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
  EXPECT_EQ(link.calls[0].count, 0x102u);
  EXPECT_EQ(link.calls[0].sent.back(), 0xFF);
  std::vector<uint8_t> big(0x10001);
  EXPECT_EQ(downloadFirmware(link, DownloadMethod::SingleCommand, big.data(), 0x10001),
            result::kIllegalRequest);
  EXPECT_EQ(link.calls.size(), 1u);
}

std::vector<uint8_t> imageOfLength(uint32_t length) {
  std::vector<uint8_t> image(length + (length & 1));
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 31);
  putBig32(image.data() + kImageLengthOffset, length);
  return image;
}

TEST(Firmware, PiecesGoFromTheHighestDownAfterTheHeader) {
  RecordingLink link;
  const auto image = imageOfLength(0x25001);
  ASSERT_EQ(downloadFirmware(link, DownloadMethod::Pieces, image.data(), 0x25002), 0u);
  ASSERT_EQ(link.calls.size(), 4u);
  EXPECT_EQ(link.calls[0].cdb, bytes({0x3B, 0, 1, 0, 0, 0, 0, 0, 8, 0}));
  std::vector<uint8_t> header(8);
  putBig32(header.data(), 0x25001);
  putBig32(header.data() + 4, crc32Bzip2(image.data(), 0x25001));
  EXPECT_EQ(link.calls[0].sent, header);
  EXPECT_EQ(link.calls[1].cdb, bytes({0x3B, 0, 0, 0x02, 0, 0, 0x00, 0x50, 0x02, 0}));
  EXPECT_EQ(link.calls[2].cdb, bytes({0x3B, 0, 0, 0x01, 0, 0, 0x01, 0x00, 0x00, 0}));
  EXPECT_EQ(link.calls[3].cdb, bytes({0x3B, 5, 0, 0, 0, 0, 0x01, 0x00, 0x00, 0}));
  EXPECT_EQ(link.calls[1].sent, std::vector<uint8_t>(image.begin() + 0x20000, image.end()));
}

TEST(Firmware, ImagesWhoseLengthDoesNotMatchAreRefusedWithoutACommand) {
  RecordingLink link;
  const auto image = imageOfLength(0x3000);
  EXPECT_EQ(downloadFirmware(link, DownloadMethod::Pieces, image.data(), 0x3002), result::kIllegalRequest);
  EXPECT_EQ(downloadFirmware(link, DownloadMethod::Pieces, image.data(), 100), result::kIllegalRequest);
  const auto huge = imageOfLength(0x30001);
  EXPECT_EQ(downloadFirmware(link, DownloadMethod::Pieces, huge.data(), 0x30002), result::kIllegalRequest);
  EXPECT_EQ(downloadFirmware(link, DownloadMethod::Pieces, nullptr, 0x3000), result::kInvalidField);
  EXPECT_TRUE(link.calls.empty());
}

}  // namespace
}  // namespace zrb2x::test
