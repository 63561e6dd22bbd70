// A program on Windows 98 reaching the cards of virtual reader-writers
// through slothub.dll and veskci2xs.dll with the in-process device library.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "win/slothub_session.h"

namespace accessor::test {
namespace {

using namespace cardservice;
using zrb::test::loadAccessorDirectly;
using zrb::test::SlotHub;
using zrb::test::VirtualReaders;
using zrb2x::virt::CardTemplate;

constexpr uint8_t kReady = 0xC8;  // present, usable, batteries good, ready signal

std::vector<uint8_t> pattern(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  return bytes;
}

bool allFF(const std::vector<uint8_t>& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
}

class Win98Cards : public ::testing::Test {
 protected:
  uint8_t status(uint8_t socket) {
    uint8_t byte = 0;
    EXPECT_EQ(hub.service(FN_STATUS, socket, 0, 0, &byte, 1), CS_OK);
    return byte;
  }
  LegacyDeviceRecord legacyDevice(uint8_t socket, uint8_t space, uint32_t offset, int32_t expected = CS_OK) {
    LegacyDeviceRecord record{};
    EXPECT_EQ(hub.service(FN_GET_DEVICE, socket, space, offset, &record, sizeof record), expected);
    return record;
  }
  std::vector<uint8_t> read(uint8_t socket, uint8_t space, uint32_t offset, uint32_t length) {
    std::vector<uint8_t> bytes(length, 0x5A);
    EXPECT_EQ(hub.service(FN_READ, socket, space, offset, bytes.data(), length), CS_OK);
    return bytes;
  }
  int32_t write(uint8_t socket, uint8_t space, uint32_t offset, std::vector<uint8_t> bytes) {
    return hub.service(FN_WRITE, socket, space, offset, bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  int32_t erase(uint8_t socket, uint32_t offset, uint32_t length) {
    return hub.service(FN_ERASE, socket, 0, offset, nullptr, length);
  }
  int32_t select(uint8_t socket, uint8_t index) {
    return hub.service(FN_SELECT_REGION, socket, 0, 0, &index, 1);
  }

  VirtualReaders readers{CardTemplate::Sram,      CardTemplate::Eeprom, CardTemplate::Flash28F008,
                         CardTemplate::TwoRegion, CardTemplate::Ata,    CardTemplate::Blank};
  SlotHub hub;
};

TEST_F(Win98Cards, ManagerServesEveryReaderInCategory2) {
  ASSERT_TRUE(hub.loaded());
  ASSERT_EQ(hub.veskcm(FN_OPEN, 0), CS_OK);
  ManagerInfo info{};
  ASSERT_EQ(hub.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  const uint32_t total = info.socketCount, major = info.versionMajor, minor = info.versionMinor;
  EXPECT_EQ(total, 6u);
  EXPECT_EQ(major, 5u);
  EXPECT_EQ(minor, 2u);
  for (uint32_t socket = 0; socket < 6; ++socket) {
    const uint32_t category = info.socketCategory[socket];
    EXPECT_EQ(category, 2u) << socket;
  }
  uint8_t legacy[6] = {};
  ASSERT_EQ(hub.service(FN_INFO, 0, 0, 0, legacy, sizeof legacy), CS_OK);
  EXPECT_EQ(legacy[2], 6);
  EXPECT_EQ(legacy[3], 0);
  EXPECT_EQ(legacy[4], 0);
  EXPECT_EQ(legacy[5], 6);
  uint8_t byte = 0;
  EXPECT_EQ(hub.veskcm(FN_STATUS, 6, 0, 0, 1, &byte), CS_BAD_SOCKET);
}

TEST_F(Win98Cards, StatusAndDeviceTypesOfEveryTemplate) {
  struct Expect {
    uint8_t socket;
    uint32_t offset;
    uint16_t type;
    uint32_t size;
  } expected[] = {
      {0, 0, 0, 0x100000},         // SRAM
      {1, 0, 1, 0x2000},           // EEPROM
      {2, 0, 3, 0x200000},         // 28F008
      {3, 0, 0, 0x80000},          // two regions: SRAM, then
      {3, 0x80000, 69, 0x100000},  // 29F040
      {4, 0, 8, 0x400000},         // ATA
      {5, 0, 0, 0x4000000},        // blank: shown as the largest SRAM
  };
  for (uint8_t socket = 0; socket < 6; ++socket) EXPECT_EQ(status(socket), kReady) << int(socket);
  for (const auto& e : expected) {
    const LegacyDeviceRecord record = legacyDevice(e.socket, 0, e.offset);
    const uint16_t type = record.type;
    const uint32_t size = record.size;
    EXPECT_EQ(type, e.type) << int(e.socket) << " at " << e.offset;
    EXPECT_EQ(size, e.size) << int(e.socket) << " at " << e.offset;
  }
  legacyDevice(3, 0, 0x180000, CS_BAD_OFFSET);
  const LegacyDeviceRecord attribute = legacyDevice(0, 1, 0);
  const uint16_t attributeType = attribute.type;
  EXPECT_EQ(attributeType, 1);  // attribute memory is EEPROM

  DeviceRecord full{};
  ASSERT_EQ(hub.veskcm(FN_GET_DEVICE, 2, 0, 0, sizeof full, &full), CS_OK);
  const uint32_t chipId = full.chipId, family = full.family, voltage = full.voltage;
  EXPECT_EQ(chipId, 0xA289u);
  EXPECT_EQ(family, 2u);
  EXPECT_EQ(voltage, 120u);
}

TEST_F(Win98Cards, ReadWriteAndEraseOnMemoryCards) {
  for (uint8_t socket : {0, 1, 2}) {
    ASSERT_EQ(status(socket), kReady);
    ASSERT_EQ(select(socket, 0), CS_OK);
    const auto data = pattern(301, socket);
    ASSERT_EQ(erase(socket, 0, 0x1000), CS_OK);  // flash must be erased before it is programmed
    ASSERT_EQ(write(socket, 0, 0x11, data), CS_OK) << int(socket);
    EXPECT_EQ(read(socket, 0, 0x11, 301), data) << int(socket);
    EXPECT_EQ(read(socket, 0, 0x10, 1)[0], 0xFF);  // the byte before an odd start is kept
    ASSERT_EQ(erase(socket, 0, 0x1000), CS_OK);
    EXPECT_TRUE(allFF(read(socket, 0, 0, 0x1000))) << int(socket);
  }
  // VESKCM reaches the same card.
  auto data = pattern(16, 77);
  ASSERT_EQ(hub.veskcm(FN_WRITE, 0, 0, 0x40, 16, data.data()), CS_OK);
  EXPECT_EQ(read(0, 0, 0x40, 16), data);
  // SRAM erase of 0x50000 bytes from an offset, and the bounds of the region.
  ASSERT_EQ(erase(0, 0x10000, 0x50000), CS_OK);
  EXPECT_TRUE(allFF(read(0, 0, 0x10000, 0x50000)));
  uint8_t byte = 0;
  EXPECT_EQ(hub.service(FN_READ, 0, 0, 0x100000, &byte, 1), CS_OUT_OF_RANGE);
  // Attribute memory keeps data at even addresses.
  ASSERT_EQ(write(1, 1, 0x100, {0x12, 0x34}), CS_OK);
  const auto attribute = read(1, 1, 0x100, 2);
  EXPECT_EQ(attribute[0], 0x12);
  EXPECT_EQ(attribute[1], 0xFF);
}

TEST_F(Win98Cards, TwoRegionCardSelectLockAndFlush) {
  ASSERT_EQ(status(3), kReady);
  int32_t take = -1, release = 0;
  ASSERT_EQ(hub.service(FN_LOCK, 3, 0, 0, &take, 4), CS_OK);
  ASSERT_EQ(select(3, 1), CS_OK);
  ASSERT_EQ(erase(3, 0, 0x20000), CS_OK);
  const auto data = pattern(100, 5);
  ASSERT_EQ(write(3, 0, 0x10, data), CS_OK);
  ASSERT_EQ(hub.service(FN_FLUSH, 3, 0, 0, nullptr, 0), CS_OK);
  EXPECT_EQ(read(3, 0, 0x10, 100), data);
  uint8_t byte = 0;
  EXPECT_EQ(hub.service(FN_READ, 3, 0, 0x100000, &byte, 1), CS_OUT_OF_RANGE);
  EXPECT_EQ(select(3, 2), CS_BAD_PARAMETER);
  ASSERT_EQ(select(3, 0), CS_OK);
  EXPECT_NE(read(3, 0, 0x10, 100), data);
  EXPECT_EQ(read(3, 0, 0x7FFFF, 1).size(), 1u);
  EXPECT_EQ(hub.service(FN_LOCK, 3, 0, 0, &release, 4), CS_OK);
}

TEST_F(Win98Cards, AtaCardWithFlush) {
  ASSERT_EQ(status(4), kReady);
  ASSERT_EQ(select(4, 0), CS_OK);
  EXPECT_EQ(read(4, 0, 0x201, 1)[0], 0x00);
  ASSERT_EQ(write(4, 0, 0x201, {0x42}), CS_OK);
  const auto data = pattern(2000, 3);
  ASSERT_EQ(write(4, 0, 0x10000 + 7, data), CS_OK);
  ASSERT_EQ(hub.service(FN_FLUSH, 4, 0, 0, nullptr, 0), CS_OK);
  EXPECT_EQ(read(4, 0, 0x10000 + 7, 2000), data);
  EXPECT_EQ(read(4, 0, 0x201, 1)[0], 0x42);
  ASSERT_EQ(erase(4, 0x10000, 0x1000), CS_OK);
  ASSERT_EQ(hub.service(FN_FLUSH, 4, 0, 0, nullptr, 0), CS_OK);
  EXPECT_TRUE(allFF(read(4, 0, 0x10000, 0x1000)));
}

TEST_F(Win98Cards, AnUnflushedAtaWriteSurvivesUnloadingTheManager) {
  ASSERT_EQ(status(4), kReady);
  ASSERT_EQ(select(4, 0), CS_OK);
  ASSERT_EQ(write(4, 0, 0x401, {0x5C}), CS_OK);  // held in the accessor's sector cache, no FN_FLUSH
  // Closing the manager frees the accessor (FreeLibrary), which writes the
  // sector back; the next call loads it anew, with an empty cache.
  ASSERT_EQ(hub.veskcm(FN_CLOSE, 0), CS_OK);
  ASSERT_EQ(status(4), kReady);  // loads anew; the card shows as just inserted
  ASSERT_EQ(select(4, 0), CS_OK);
  EXPECT_EQ(read(4, 0, 0x401, 1)[0], 0x5C);
}

TEST_F(Win98Cards, AnUnknownLegacyTypeIsRefusedAndTheRegionStaysDescribed) {
  ASSERT_EQ(status(3), kReady);
  LegacyDeviceRecord unknown{250, 0, 0x100000};
  EXPECT_EQ(hub.service(FN_SET_DEVICE, 3, 0, 0x80000, &unknown, sizeof unknown), CS_DEVICE_FAILURE);
  EXPECT_EQ(legacyDevice(3, 0, 0x80000).type, 69);
  LegacyDeviceRecord rom{7, 0, 0x100000};
  ASSERT_EQ(hub.service(FN_SET_DEVICE, 3, 0, 0x80000, &rom, sizeof rom), CS_OK);
  EXPECT_EQ(legacyDevice(3, 0, 0x80000).type, 7);
  LegacyDeviceRecord flash{69, 0, 0x100000};
  ASSERT_EQ(hub.service(FN_SET_DEVICE, 3, 0, 0x80000, &flash, sizeof flash), CS_OK);
  EXPECT_EQ(legacyDevice(3, 0, 0x80000).type, 69);
}

TEST_F(Win98Cards, SetDeviceOnABlankCard) {
  ASSERT_EQ(status(5), kReady);
  LegacyDeviceRecord sram{0, 0, 0x100000};
  ASSERT_EQ(hub.service(FN_SET_DEVICE, 5, 0, 0, &sram, sizeof sram), CS_OK);
  const LegacyDeviceRecord back = legacyDevice(5, 0, 0);
  const uint32_t size = back.size;
  EXPECT_EQ(size, 0x100000u);
  // Legacy type 131 reaches the accessor with family 130, which it refuses.
  LegacyDeviceRecord refused{131, 0, 0x100000};
  EXPECT_EQ(hub.service(FN_SET_DEVICE, 5, 0, 0, &refused, sizeof refused), CS_DEVICE_FAILURE);
  ASSERT_EQ(select(5, 0), CS_OK);
  ASSERT_EQ(write(5, 0, 0xFFFFE, {1, 2}), CS_OK);
  EXPECT_EQ(read(5, 0, 0xFFFFE, 2), (std::vector<uint8_t>{1, 2}));
}

TEST_F(Win98Cards, CardPulledAndReinsertedBetweenCalls) {
  ASSERT_EQ(status(3), kReady);
  ASSERT_EQ(select(3, 1), CS_OK);
  ASSERT_EQ(zrb2x::virt::removeCard(readers.reader(3)), "");
  EXPECT_EQ(status(3), 0x08);
  legacyDevice(3, 0, 0, CS_NO_CARD);
  uint8_t byte = 0;
  EXPECT_EQ(hub.service(FN_READ, 3, 0, 0, &byte, 1), CS_READ_ERROR);

  ASSERT_EQ(zrb2x::virt::insertCard(readers.reader(3), CardTemplate::TwoRegion, {}), "");
  EXPECT_EQ(status(3), kReady);
  // Region 0 is selected again: its 512 KB end where the flash begins.
  const auto data = pattern(4, 9);
  ASSERT_EQ(write(3, 0, 0x7FFFC, data), CS_OK);
  EXPECT_EQ(read(3, 0, 0x7FFFC, 4), data);
  EXPECT_EQ(hub.service(FN_READ, 3, 0, 0x80000, &byte, 1), CS_OUT_OF_RANGE);
}

TEST_F(Win98Cards, WriteProtectedCard) {
  ASSERT_EQ(zrb2x::virt::changeReader(readers.reader(0), [](auto& state) { state.writeProtect = true; }), "");
  EXPECT_EQ(status(0), kReady | STATUS_WRITE_PROTECTED);
  EXPECT_EQ(write(0, 0, 0, {1, 2}), CS_WRITE_ERROR);
  EXPECT_EQ(erase(0, 0, 2), CS_WRITE_ERROR);
  EXPECT_EQ(read(0, 0, 0, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(Win98NoReader, AccessorRefusesToLoadAndManagerHasNoSocket) {
  VirtualReaders none{};
  EXPECT_EQ(loadAccessorDirectly(), nullptr);
  SlotHub hub;
  ASSERT_TRUE(hub.loaded());
  EXPECT_EQ(hub.veskcm(FN_OPEN, 0), CS_DEVICE_FAILURE);
  uint8_t byte = 0;
  EXPECT_EQ(hub.veskcm(FN_STATUS, 0, 0, 0, 1, &byte), CS_BAD_SOCKET);
}

TEST(Win98Accessor, LoadsOnItsOwnWithAReader) {
  VirtualReaders one{CardTemplate::Sram};
  HMODULE module = loadAccessorDirectly();
  ASSERT_NE(module, nullptr);
  auto entry = reinterpret_cast<CardEntry>(reinterpret_cast<void*>(GetProcAddress(module, "VESKCI")));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(FN_INFO, 0, 0, 0, 0, nullptr), 1);
  EXPECT_EQ(entry(12, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);
  FreeLibrary(module);
}

}  // namespace
}  // namespace accessor::test
