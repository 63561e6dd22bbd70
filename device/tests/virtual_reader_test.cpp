// The command set driven against the virtual reader-writer, as the accessor
// and the access service use it.
#include <cstring>
#include <fstream>
#include <numeric>
#include <vector>

#include "card_status.h"
#include "commands.h"
#include "device_result.h"
#include "virtual/os_files.h"
#include "virtual_fixture.h"

namespace zrb2x::test {
namespace {

using virt::CardTemplate;

std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
  return v;
}

TEST_F(VirtualReaderTest, CommonMemoryRoundTripsAtAnyAlignment) {
  setUpReader(CardTemplate::Sram);
  const auto data = pattern(0x12345);
  ASSERT_EQ(devices_->WriteCommon(0, 3, static_cast<uint32_t>(data.size()), data.data()), 0u);
  std::vector<uint8_t> back(data.size());
  ASSERT_EQ(devices_->ReadCommon(0, 3, static_cast<uint32_t>(back.size()), back.data()), 0u);
  EXPECT_EQ(back, data);
  // The neighbours of an odd-edged write keep their erased value.
  uint8_t edges[2];
  ASSERT_EQ(devices_->ReadCommon(0, 2, 1, edges), 0u);
  ASSERT_EQ(devices_->ReadCommon(0, 3 + 0x12345, 1, edges + 1), 0u);
  EXPECT_EQ(edges[0], 0xFF);
  EXPECT_EQ(edges[1], 0xFF);
}

TEST_F(VirtualReaderTest, ReadsPastTheCardFailWithAnAddressError) {
  setUpReader(CardTemplate::Eeprom);
  uint8_t buffer[4];
  EXPECT_EQ(devices_->ReadCommon(0, 0x2000 - 2, 4, buffer), result::kAddressOutOfRange);
  EXPECT_EQ(devices_->ReadCommon(0, 0x2000 - 2, 2, buffer), 0u);
}

TEST_F(VirtualReaderTest, AttributeMemoryKeepsEvenBytesOnly) {
  setUpReader(CardTemplate::Sram);
  const uint8_t data[5] = {0x11, 0x22, 0x33, 0x44, 0x55};
  ASSERT_EQ(devices_->WriteAttribute(0, 0x100, 5, data), 0u);
  uint8_t back[6];
  ASSERT_EQ(devices_->ReadAttribute(0, 0x100, 6, back), 0u);
  const uint8_t expected[6] = {0x11, 0xFF, 0x33, 0xFF, 0x55, 0xFF};
  EXPECT_EQ(std::vector<uint8_t>(back, back + 6), std::vector<uint8_t>(expected, expected + 6));
  // The template's CIS starts with a device information tuple.
  uint8_t cis[4];
  ASSERT_EQ(devices_->ReadAttribute(0, 0, 4, cis), 0u);
  EXPECT_EQ(cis[0], 0x01);
  EXPECT_EQ(cis[1], 0xFF);
}

TEST_F(VirtualReaderTest, FlashProgrammingOnlyClearsBitsAndErasesWholeBlocks) {
  setUpReader(CardTemplate::Flash28F008);  // erase blocks of 0x20000
  const uint8_t first[2] = {0xF0, 0x0F}, second[2] = {0x3C, 0xFF};
  ASSERT_EQ(devices_->WriteCommon(0, 0x20010, 2, first), 0u);
  ASSERT_EQ(devices_->WriteCommon(0, 0x20010, 2, second), 0u);
  uint8_t back[2];
  ASSERT_EQ(devices_->ReadCommon(0, 0x20010, 2, back), 0u);
  EXPECT_EQ(back[0], 0x30);
  EXPECT_EQ(back[1], 0x0F);
  ASSERT_EQ(devices_->WriteCommon(0, 0x1FFFE, 2, first), 0u);  // last word of the block before
  // Erasing two bytes takes the whole block with it, and only that block.
  ASSERT_EQ(devices_->EraseMemory(0, 0, 0x20000 + 0x100, 2), 0u);
  ASSERT_EQ(devices_->ReadCommon(0, 0x20010, 2, back), 0u);
  EXPECT_EQ(back[0], 0xFF);
  EXPECT_EQ(back[1], 0xFF);
  ASSERT_EQ(devices_->ReadCommon(0, 0x1FFFE, 2, back), 0u);
  EXPECT_EQ(back[0], 0xF0);
}

TEST_F(VirtualReaderTest, TwoRegionCardBehavesPerChip) {
  setUpReader(CardTemplate::TwoRegion);  // SRAM 0x80000, then flash
  const uint8_t zeros[2] = {0, 0}, ones[2] = {0xAA, 0xAA};
  ASSERT_EQ(devices_->WriteCommon(0, 0x7FFFE, 2, zeros), 0u);
  ASSERT_EQ(devices_->WriteCommon(0, 0x80000, 2, zeros), 0u);
  ASSERT_EQ(devices_->WriteCommon(0, 0x7FFFE, 4, std::vector<uint8_t>(4, 0xAA).data()), 0u);
  uint8_t back[4];
  ASSERT_EQ(devices_->ReadCommon(0, 0x7FFFE, 4, back), 0u);
  EXPECT_EQ(back[0], 0xAA);  // SRAM takes any value
  EXPECT_EQ(back[2], 0x00);  // flash cannot set bits
  (void)ones;
  DeviceTable table{};
  ASSERT_EQ(devices_->ReadDeviceTable(0, &table), 0u);
  const RegionEntry r0 = table.region[0], r1 = table.region[1], attribute = table.region[4];
  EXPECT_EQ(r0.kind, 6u);
  EXPECT_EQ(r0.size, 0x80000u);
  EXPECT_EQ(r1.kind, 5u);
  EXPECT_EQ(r1.chipId, 0xA401u);
  EXPECT_EQ(r1.deviceCode, 7u);
  EXPECT_EQ(attribute.size, 0x2000u);
}

TEST_F(VirtualReaderTest, RegionTableIsKeptInTheReadersOwnFormatPerRevision) {
  // Firmware before 2.00 keeps the attribute size in 2-byte units.
  setUpReader(CardTemplate::Sram, {"ZRB-22H", "1.99"});
  DeviceTable table{};
  ASSERT_EQ(devices_->ReadDeviceTable(0, &table), 0u);
  EXPECT_EQ(table.valid, 1u);
  const uint32_t attributeSize = table.region[4].size;
  EXPECT_EQ(attributeSize, 0x2000u);
  EXPECT_EQ(state().regionTable[36 + 2], 0x10);  // 0x1000 units, big-endian

  table.region[0].kind = 5;
  table.region[0].chipId = 0xA289;
  table.region[0].deviceCode = 3;
  ASSERT_EQ(devices_->WriteDeviceTable(0, &table), 0u);
  DeviceTable back{};
  ASSERT_EQ(devices_->ReadDeviceTable(0, &back), 0u);
  EXPECT_EQ(std::memcmp(&back, &table, sizeof table), 0);
}

TEST_F(VirtualReaderTest, StatusWordFollowsTheCardAndItsSignals) {
  setUpReader(CardTemplate::Sram);
  uint32_t status = 0;
  ASSERT_EQ(devices_->GetStatus(0, &status), 0u);
  EXPECT_EQ(status, 0x30Bu);  // both detects, ready, both battery signals
  ASSERT_EQ(virt::changeReader(reader(),
                               [](auto& s) {
                                 s.writeProtect = true;
                                 s.battery = virt::Battery::Low;
                               }),
            "");
  ASSERT_EQ(devices_->GetStatus(0, &status), 0u);
  EXPECT_EQ(status, 0x30Du);
  ASSERT_EQ(virt::removeCard(reader()), "");
  EXPECT_EQ(devices_->GetStatus(0, &status), 0u);  // an empty slot is a valid status
  EXPECT_EQ(status & 0x300u, 0u);
}

TEST_F(VirtualReaderTest, WriteProtectRefusesWritesAndErasesWithDataProtect) {
  setUpReader(CardTemplate::Sram);
  ASSERT_EQ(virt::changeReader(reader(), [](auto& s) { s.writeProtect = true; }), "");
  const uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_EQ(devices_->WriteCommon(0, 0, 4, data), result::kWriteProtected);
  EXPECT_EQ(devices_->WriteAttribute(0, 0, 4, data), result::kWriteProtected);
  EXPECT_EQ(devices_->EraseMemory(0, 0, 0, 4), result::kWriteProtected);
  uint8_t back[4];
  ASSERT_EQ(devices_->ReadCommon(0, 0, 4, back), 0u);
  EXPECT_EQ(back[0], 0xFF);
}

TEST_F(VirtualReaderTest, NoCardAnswersNotReadyAndACardChangeIsReportedOnceThenRetried) {
  setUpReader(CardTemplate::Sram, {}, {}, /*consumeCardChange=*/false);
  // The retried commands see the change once and succeed on their second try.
  uint8_t back[2];
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), 0u);
  EXPECT_FALSE(state().attentionPending);
  ASSERT_EQ(virt::removeCard(reader()), "");
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), result::kMediumNotPresent);
  DeviceTable table{};
  EXPECT_EQ(senseKeyOf(devices_->ReadDeviceTable(0, &table)), 2);
}

TEST_F(VirtualReaderTest, AtaCardMovesSectorsInPiecesAndIdentifies) {
  setUpReader(CardTemplate::Ata);
  const auto data = pattern(300 * 512, 9);
  ASSERT_EQ(devices_->WriteSectors(0, 5, 300, data.data(), 512), 0u);
  std::vector<uint8_t> back(data.size());
  ASSERT_EQ(devices_->ReadSectors(0, 5, 300, back.data(), 512), 0u);
  EXPECT_EQ(back, data);
  EXPECT_EQ(devices_->ReadSectors(0, 8192, 1, back.data(), 512), result::kAddressOutOfRange);
  EXPECT_EQ(devices_->ReadSectors(0, 0, 1, back.data(), 256), result::kInvalidField);

  AtaGeometry geometry{};
  ASSERT_EQ(devices_->AtaIdentify(0, &geometry), 0u);
  EXPECT_EQ(geometry.totalSectors, 8192u);
  EXPECT_EQ(geometry.heads * geometry.sectorsPerTrack * geometry.cylinders, 8192u);
  uint32_t lastSector = 0, blockSize = 0;
  ASSERT_EQ(devices_->ReadCapacity(0, 0, &lastSector, &blockSize), 0u);
  EXPECT_EQ(lastSector, 8191u);
  EXPECT_EQ(blockSize, 512u);
}

TEST_F(VirtualReaderTest, AtaPassThroughReadsWhatSectorCommandsWrote) {
  setUpReader(CardTemplate::Ata);
  const auto data = pattern(2 * 512, 3);
  ASSERT_EQ(devices_->WriteSectors(0, 0x123, 2, data.data(), 512), 0u);
  uint8_t registers[8] = {0, 0, 2, 0x23, 0x01, 0, 0xE0, 0x20};
  ASSERT_EQ(devices_->AtaWriteTaskFile(0, registers), 0u);
  std::vector<uint8_t> back(2 * 512);
  ASSERT_EQ(devices_->AtaReadData(0, 2, back.data()), 0u);
  EXPECT_EQ(back, data);
  uint8_t after[8];
  ASSERT_EQ(devices_->AtaReadTaskFile(0, after), 0u);
  EXPECT_EQ(after[7], 0x50);
  registers[7] = 0x99;  // not a command the card knows
  ASSERT_EQ(devices_->AtaWriteTaskFile(0, registers), 0u);
  ASSERT_EQ(devices_->AtaExecute(0), 0u);
  ASSERT_EQ(devices_->AtaReadTaskFile(0, after), 0u);
  EXPECT_EQ(after[7] & 0x01, 0x01);
  EXPECT_EQ(after[1], 0x04);
}

TEST_F(VirtualReaderTest, MemoryCommandsOnTheWrongKindOfCardAreInvalid) {
  setUpReader(CardTemplate::Sram);
  uint8_t sector[512];
  EXPECT_EQ(devices_->ReadSectors(0, 0, 1, sector, 512), result::kInvalidOpcode);
}

TEST_F(VirtualReaderTest, InjectedFaultsFailTheNthCommandAndPullTheCard) {
  setUpReader(CardTemplate::Sram);
  ASSERT_EQ(virt::changeReader(reader(),
                               [](auto& s) {
                                 s.failAfter = 2;
                                 s.failResult = 0x11000003;  // unrecovered read error
                               }),
            "");
  uint8_t back[2];
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), 0u);
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), 0x11000003u);
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), 0u);

  ASSERT_EQ(virt::changeReader(reader(), [](auto& s) { s.pullAfter = 1; }), "");
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), 0u);
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), result::kMediumNotPresent);
}

TEST_F(VirtualReaderTest, FirmwareDownloadIsCheckedByLengthAndCrc) {
  setUpReader(CardTemplate::Sram, {"ZRB-22G", "2.00"});
  std::vector<uint8_t> image = pattern(0x24001, 5);
  const uint32_t length = 0x24001;
  image[8200] = 0;
  image[8201] = 0x02;
  image[8202] = 0x40;
  image[8203] = 0x01;
  image.push_back(0xFF);  // the count is the length rounded up to even
  ASSERT_EQ(devices_->DownloadFirmware(0, image.data(), static_cast<uint32_t>(image.size())), 0u);
  EXPECT_EQ(state().lastDownload.rfind("ok", 0), 0u);
  EXPECT_EQ(std::filesystem::file_size(reader() / "firmware.bin"), image.size());
  EXPECT_EQ(devices_->DownloadFirmware(0, image.data(), length), result::kIllegalRequest);
}

TEST_F(VirtualReaderTest, OlderFirmwareTakesTheImageInOneCommand) {
  setUpReader(CardTemplate::Sram, {"ZRB-22G", "1.50"});
  const auto image = pattern(0x801);
  ASSERT_EQ(devices_->DownloadFirmware(0, image.data(), 0x801), 0u);
  EXPECT_EQ(std::filesystem::file_size(reader() / "firmware.bin"), 0x802u);
  EXPECT_EQ(devices_->DownloadFirmware(0, image.data(), 0x10001), result::kIllegalRequest);
}

TEST_F(VirtualReaderTest, ReadersAreListedInNameOrderWithTheirRevision) {
  ASSERT_EQ(virt::createReader(reader("b"), {"ZRB-22H", "1.23"}), "");
  ASSERT_EQ(virt::createReader(reader("a"), {"ZRB-22G", "2.10"}), "");
  std::filesystem::create_directories(reader("c-not-a-reader"));
  std::filesystem::create_directories(reader("d-broken"));
  std::ofstream(reader("d-broken") / "reader.txt") << "product = ZRB-99\n";
  openDevices();
  ASSERT_EQ(devices_->CountDevices(), 2u);
  uint8_t inquiry[36];
  ASSERT_EQ(devices_->Inquiry(0, inquiry), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry + 16), 16), "ZRB-22G         ");
  EXPECT_EQ(devices_->library().entry(1)->firmwareRevision, 0x312E3233u);
  EXPECT_EQ(devices_->ReadCommon(2, 0, 2, inquiry), result::kIllegalRequest);
}

TEST_F(VirtualReaderTest, ExclusiveUseIsRefusedToASecondUser) {
  setUpReader(CardTemplate::Sram);
  ASSERT_EQ(virt::changeReader(reader(), [](auto& s) { s.lockWaitMs = 0; }), "");
  auto other = InProcessDevices::forVirtualReaders(scratch_.path());
  ASSERT_TRUE(other->OpenLibrary());
  ASSERT_EQ(other->CountDevices(), 1u);
  ASSERT_TRUE(devices_->AcquireDevice(0));
  EXPECT_FALSE(other->AcquireDevice(0));
  // Commands still run: exclusive use guards the card, not the reader.
  uint8_t back[2];
  EXPECT_EQ(other->ReadCommon(0, 0, 2, back), 0u);
  ASSERT_TRUE(devices_->ReleaseDevice(0));
  EXPECT_TRUE(other->AcquireDevice(0));
  EXPECT_TRUE(other->ReleaseDevice(0));
}

TEST_F(VirtualReaderTest, RequestSenseTellsTheLastFailureOnceAndHousekeepingCommandsSucceed) {
  setUpReader(CardTemplate::Eeprom);
  uint8_t back[4];
  ASSERT_EQ(devices_->ReadCommon(0, 0x2000, 4, back), result::kAddressOutOfRange);
  DeviceLink& link = *devices_->library().entry(0)->link;
  uint8_t sense[18];
  ASSERT_EQ(cmd::requestSense(link, sense), 0u);
  EXPECT_EQ(sense[2], 5);
  EXPECT_EQ(sense[12], 0x21);
  ASSERT_EQ(cmd::requestSense(link, sense), 0u);
  EXPECT_EQ(sense[2], 0);
  EXPECT_EQ(devices_->Rezero(0), 0u);
  EXPECT_EQ(devices_->VendorCommand3D(0, 0x1000, 0x55AA, 1, 2), 0u);
  EXPECT_EQ(cmd::loadMedium(link, 0), 0u);
  EXPECT_EQ(cmd::ejectMedium(link), 0u);
  EXPECT_TRUE(devices_->Load(0));
  EXPECT_TRUE(devices_->Eject(0));
}

// The access service acts on reader folders with the system's rights: a
// file of a reader that is a link to somewhere else is never written through,
// and a reader folder that is a link is not listed.
TEST_F(VirtualReaderTest, AReaderWhoseFilesLeadElsewhereIsNotTouched) {
  setUpReader(CardTemplate::Sram, {"ZRB-22G", "2.00"});
  zrb::test::ScratchDir elsewhere;
  const auto victim = elsewhere / "victim.bin";
  const std::vector<uint8_t> original(std::filesystem::file_size(reader() / "common.img"), 0x11);
  std::ofstream(victim, std::ios::binary)
      .write(reinterpret_cast<const char*>(original.data()), static_cast<std::streamsize>(original.size()));
  auto victimUnchanged = [&] {
    std::ifstream in(victim, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()) ==
           original;
  };
  std::vector<uint8_t> image = pattern(0x24001, 5);  // a download the reader would take
  image[8200] = 0;
  image[8201] = 0x02;
  image[8202] = 0x40;
  image[8203] = 0x01;
  image.push_back(0xFF);
  const auto download = [&] {
    return devices_->DownloadFirmware(0, image.data(), static_cast<uint32_t>(image.size()));
  };

  // firmware.bin as a second name of a file elsewhere.
  std::error_code error;
  std::filesystem::create_hard_link(victim, reader() / "firmware.bin", error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(download(), result::kInternalFailure);
  EXPECT_TRUE(victimUnchanged());
  std::filesystem::remove(reader() / "firmware.bin");

  // Symbolic links, where the system lets the test make them.
  std::filesystem::create_symlink(victim, reader() / "firmware.bin", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  EXPECT_EQ(download(), result::kInternalFailure);
  std::filesystem::remove(reader() / "firmware.bin");
  std::filesystem::remove(reader() / "common.img");
  std::filesystem::create_symlink(victim, reader() / "common.img");
  const uint8_t word[2] = {0xAB, 0xCD};
  EXPECT_NE(devices_->WriteCommon(0, 0, 2, word), 0u);
  EXPECT_TRUE(victimUnchanged());
  std::filesystem::remove(reader() / "common.img");

  ASSERT_EQ(virt::createReader(elsewhere / "outside", {}), "");
  std::filesystem::create_directory_symlink(elsewhere / "outside", scratch_.path() / "r5");
  EXPECT_EQ(devices_->CountDevices(), 1u);
}

// The service hands a failed query's last error to the client: it must be the
// query's own, not what an earlier call of the thread left behind.
TEST_F(VirtualReaderTest, TheTransportQueriesFailWithNotSupported) {
  setUpReader(CardTemplate::Sram);
  uint32_t value = 0;
  virt::setLastSystemError(997);
  EXPECT_FALSE(devices_->QueryDriveLetter(0, &value));
  EXPECT_EQ(virt::lastSystemError(), virt::kErrorNotSupported);
  virt::setLastSystemError(997);
  EXPECT_FALSE(devices_->QueryDiscoveryPosition(0, &value));
  EXPECT_EQ(virt::lastSystemError(), virt::kErrorNotSupported);
}

TEST_F(VirtualReaderTest, UnalignedCommonMemoryCommandsAreRefusedAsOurOwnBug) {
  setUpReader(CardTemplate::Sram);
  DeviceLink& link = *devices_->library().entry(0)->link;
  uint8_t data[4] = {};
  EXPECT_EQ(cmd::readCommon(link, 1, 2, data), result::kInvalidField);
  EXPECT_EQ(cmd::writeCommon(link, 0, 3, data), result::kInvalidField);
  EXPECT_EQ(cmd::readAttribute(link, 3, 2, data), result::kInvalidField);
  // The transfer rules never send such a command: 3 bytes at 1 read fine.
  const uint8_t pattern[4] = {0x10, 0x20, 0x30, 0x40};
  ASSERT_EQ(devices_->WriteCommon(0, 0, 4, pattern), 0u);
  ASSERT_EQ(devices_->ReadCommon(0, 1, 3, data), 0u);
  EXPECT_EQ(data[0], 0x20);
  EXPECT_EQ(data[2], 0x40);
}

TEST_F(VirtualReaderTest, ACommonImageShorterThanTheCardIsAReaderFailure) {
  setUpReader(CardTemplate::Flash29F040);
  std::filesystem::resize_file(reader() / "common.img", 0x1000);
  EXPECT_EQ(devices_->EraseMemory(0, 0, 0, 2), result::kInternalFailure);
  uint8_t back[2];
  EXPECT_EQ(devices_->ReadCommon(0, 0, 2, back), result::kInternalFailure);
}

TEST_F(VirtualReaderTest, LibraryStaysClosedWithoutVirtualFolder) {
  auto devices = InProcessDevices::forVirtualReaders(scratch_.path() / "missing");
  EXPECT_FALSE(devices->OpenLibrary());
  EXPECT_EQ(devices->CountDevices(), 0u);
}

}  // namespace
}  // namespace zrb2x::test
