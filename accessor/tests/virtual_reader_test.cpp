// The card functions end to end over the device library and virtual
// reader-writers: every card template, a pulled card, write protection.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "attach.h"
#include "card_manager.h"
#include "in_process_devices.h"
#include "legacy_device_types.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"

namespace accessor::test {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

// Attaches as Windows 9x would, with the virtual readers of one folder.
class VirtualPlatform : public AttachPlatform {
 public:
  explicit VirtualPlatform(std::filesystem::path root) : root_(std::move(root)) {}
  std::optional<std::string> ownFileVersion() override { return "5.2.0.111"; }
  bool ntFamily() override { return false; }
  std::unique_ptr<zrb2x::DeviceOperations> serviceBinding() override { return nullptr; }
  std::unique_ptr<zrb2x::DeviceOperations> inProcessBinding() override {
    return zrb2x::InProcessDevices::forVirtualReaders(root_);
  }

 private:
  std::filesystem::path root_;
};

class VirtualReaderTest : public ::testing::Test {
 protected:
  zrb::test::ScratchDir scratch;

  std::filesystem::path reader(int n) { return scratch / ("r" + std::to_string(n)); }

  void makeReaders(std::initializer_list<CardTemplate> cards) {
    int n = 0;
    for (CardTemplate card : cards) {
      ASSERT_EQ(zrb2x::virt::createReader(reader(n), {}), "");
      ASSERT_EQ(zrb2x::virt::insertCard(reader(n), card, {}), "");
      ++n;
    }
    VirtualPlatform platform(scratch.path());
    module = attachModule(platform);
    ASSERT_NE(module, nullptr);
  }

  int32_t call(uint32_t code, uint32_t socket, uint32_t space = 0, uint32_t offset = 0, uint32_t length = 0,
               void* data = nullptr) {
    return module->cards().call(code, socket, space, offset, length, data);
  }
  uint8_t status(uint32_t socket) {
    uint8_t byte = 0;
    EXPECT_EQ(call(FN_STATUS, socket, 0, 0, 1, &byte), CS_OK);
    return byte;
  }
  int32_t select(uint32_t socket, uint8_t index) { return call(FN_SELECT_REGION, socket, 0, 0, 1, &index); }
  DeviceRecord device(uint32_t socket, uint32_t space, uint32_t offset) {
    DeviceRecord record{};
    EXPECT_EQ(call(FN_GET_DEVICE, socket, space, offset, sizeof record, &record), CS_OK);
    return record;
  }
  std::vector<uint8_t> read(uint32_t socket, uint32_t space, uint32_t offset, uint32_t length) {
    std::vector<uint8_t> bytes(length, 0x5A);
    EXPECT_EQ(call(FN_READ, socket, space, offset, length, bytes.data()), CS_OK);
    return bytes;
  }
  static std::vector<uint8_t> pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
  }

  std::unique_ptr<AttachedModule> module;
};

TEST_F(VirtualReaderTest, NoReaderNoModule) {
  VirtualPlatform platform(scratch.path());
  EXPECT_EQ(attachModule(platform), nullptr);
}

TEST_F(VirtualReaderTest, EveryTemplateIsDescribedAndTransfersBytes) {
  makeReaders({CardTemplate::Sram, CardTemplate::Eeprom, CardTemplate::Flash28F008, CardTemplate::TwoRegion});
  ASSERT_EQ(call(FN_INFO, 0), 4);
  struct Expect {
    uint32_t kind, size, family;
  } expected[] = {
      {KIND_SRAM, 0x100000, 0}, {KIND_EEPROM, 0x2000, 0}, {KIND_FLASH, 0x200000, 2}, {KIND_SRAM, 0x80000, 0}};
  for (uint32_t socket = 0; socket < 4; ++socket) {
    EXPECT_EQ(status(socket), 0xC8) << socket;  // present, usable, batteries good, ready
    const DeviceRecord record = device(socket, 0, 0);
    EXPECT_EQ(record.kind, expected[socket].kind) << socket;
    EXPECT_EQ(record.size, expected[socket].size) << socket;
    EXPECT_EQ(record.family, expected[socket].family) << socket;
    EXPECT_EQ(device(socket, 1, 0).kind, KIND_EEPROM);

    // Odd offset and odd length: the word rules below must keep the neighbours.
    const auto data = pattern(13, static_cast<uint8_t>(socket));
    const auto before = read(socket, 0, 0x100, 16);
    ASSERT_EQ(call(FN_WRITE, socket, 0, 0x101, 13, const_cast<uint8_t*>(data.data())), CS_OK);
    const auto after = read(socket, 0, 0x100, 16);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), after.begin() + 1));
    EXPECT_EQ(after[14], before[14]);
  }
  // The CIS sits at even attribute addresses.
  const auto cis = read(0, 1, 0, 4);
  EXPECT_EQ(cis[0], 0x01);  // device information tuple
  EXPECT_EQ(cis[1], 0xFF);
}

TEST_F(VirtualReaderTest, EraseFillsSramAndErasesFlash) {
  makeReaders({CardTemplate::Sram, CardTemplate::Flash28F008});
  const auto zeros = std::vector<uint8_t>(0x100, 0x00);
  for (uint32_t socket : {0u, 1u}) {
    ASSERT_EQ(status(socket) & 0x80, 0x80);
    ASSERT_EQ(call(FN_WRITE, socket, 0, 0x20000, 0x100, const_cast<uint8_t*>(zeros.data())), CS_OK);
    ASSERT_EQ(read(socket, 0, 0x20000, 0x100), zeros);
  }
  ASSERT_EQ(call(FN_ERASE, 0, 0, 0x20000, 0x50000), CS_OK);  // SRAM: 0xFF in 32 KB pieces
  ASSERT_EQ(call(FN_ERASE, 1, 0, 0x20000, 0x20000), CS_OK);  // flash: one erase block
  for (uint32_t socket : {0u, 1u}) {
    const auto back = read(socket, 0, 0x20000, 0x100);
    EXPECT_TRUE(std::all_of(back.begin(), back.end(), [](uint8_t b) { return b == 0xFF; })) << socket;
  }
}

TEST_F(VirtualReaderTest, TwoRegionCardIsAddressedPerRegion) {
  makeReaders({CardTemplate::TwoRegion});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  const DeviceRecord flash = device(0, 0, 0x80000);
  EXPECT_EQ(flash.kind, KIND_FLASH);
  EXPECT_EQ(flash.chipId, 0xA401u);
  EXPECT_EQ(flash.eraseUnit, 0x20000u);
  DeviceRecord none{};
  EXPECT_EQ(call(FN_GET_DEVICE, 0, 0, 0x180000, sizeof none, &none), CS_BAD_OFFSET);

  ASSERT_EQ(select(0, 1), CS_OK);
  const auto data = pattern(64, 3);
  ASSERT_EQ(call(FN_ERASE, 0, 0, 0, 0x20000), CS_OK);
  ASSERT_EQ(call(FN_WRITE, 0, 0, 0, 64, const_cast<uint8_t*>(data.data())), CS_OK);
  EXPECT_EQ(read(0, 0, 0, 64), data);
  uint8_t byte = 0;
  EXPECT_EQ(call(FN_READ, 0, 0, 0x100000, 1, &byte), CS_OUT_OF_RANGE);
  ASSERT_EQ(select(0, 0), CS_OK);
  EXPECT_NE(read(0, 0, 0, 64), data);  // region 0 is the SRAM before it
  EXPECT_EQ(select(0, 2), CS_BAD_PARAMETER);
}

TEST_F(VirtualReaderTest, AtaCardGoesThroughTheSectorCache) {
  makeReaders({CardTemplate::Ata});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  const DeviceRecord ata = device(0, 0, 0);
  EXPECT_EQ(ata.kind, KIND_FUNCTION_SPECIFIC);
  EXPECT_EQ(ata.family, 1u);

  uint8_t byte = 0xEE;
  ASSERT_EQ(call(FN_READ, 0, 0, 0x201, 1, &byte), CS_OK);
  EXPECT_EQ(byte, 0x00);
  byte = 0x42;
  ASSERT_EQ(call(FN_WRITE, 0, 0, 0x201, 1, &byte), CS_OK);

  // Another process sees the card, not this module's cache, until the flush.
  auto other = zrb2x::InProcessDevices::forVirtualReaders(scratch.path());
  ASSERT_TRUE(other->OpenLibrary());
  ASSERT_EQ(other->CountDevices(), 1u);
  std::vector<uint8_t> sector(512);
  ASSERT_EQ(other->ReadSectors(0, 1, 1, sector.data(), 512), 0u);
  EXPECT_EQ(sector[1], 0x00);
  ASSERT_EQ(call(FN_FLUSH, 0), CS_OK);
  ASSERT_EQ(other->ReadSectors(0, 1, 1, sector.data(), 512), 0u);
  EXPECT_EQ(sector[1], 0x42);

  const auto data = pattern(3 * 512 + 100, 9);
  ASSERT_EQ(call(FN_WRITE, 0, 0, 0x1000 + 50, static_cast<uint32_t>(data.size()),
                 const_cast<uint8_t*>(data.data())),
            CS_OK);
  ASSERT_EQ(call(FN_FLUSH, 0), CS_OK);
  EXPECT_EQ(read(0, 0, 0x1000 + 50, static_cast<uint32_t>(data.size())), data);
  ASSERT_EQ(call(FN_ERASE, 0, 0, 0x1000, 0x1000), CS_OK);
  ASSERT_EQ(call(FN_FLUSH, 0), CS_OK);
  const auto erased = read(0, 0, 0x1000, 0x1000);
  EXPECT_TRUE(std::all_of(erased.begin(), erased.end(), [](uint8_t b) { return b == 0xFF; }));
  other->CloseLibrary();
}

TEST_F(VirtualReaderTest, PulledCardAndReinsertedCard) {
  makeReaders({CardTemplate::TwoRegion});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  ASSERT_EQ(select(0, 1), CS_OK);

  ASSERT_EQ(zrb2x::virt::removeCard(reader(0)), "");
  EXPECT_EQ(status(0), 0x08);  // usable socket, no card
  DeviceRecord record{};
  EXPECT_EQ(call(FN_GET_DEVICE, 0, 0, 0, sizeof record, &record), CS_NO_CARD);
  EXPECT_EQ(select(0, 0), CS_NO_CARD);
  uint8_t byte = 0;
  EXPECT_EQ(call(FN_READ, 0, 0, 0, 1, &byte), CS_READ_ERROR);

  ASSERT_EQ(zrb2x::virt::insertCard(reader(0), CardTemplate::TwoRegion, {}), "");
  EXPECT_EQ(status(0) & 0x80, 0x80);  // the card change is answered once and retried below
  const auto data = pattern(8, 1);
  ASSERT_EQ(call(FN_WRITE, 0, 0, 0x7FFF0, 8, const_cast<uint8_t*>(data.data())), CS_OK);
  EXPECT_EQ(read(0, 0, 0x7FFF0, 8), data);  // region 0 again: it ends at 0x80000
  EXPECT_EQ(call(FN_READ, 0, 0, 0x80000, 1, &byte), CS_OUT_OF_RANGE);
}

TEST_F(VirtualReaderTest, WriteProtectedCardRefusesWritesAndErases) {
  makeReaders({CardTemplate::Sram});
  ASSERT_EQ(zrb2x::virt::changeReader(reader(0), [](auto& state) { state.writeProtect = true; }), "");
  EXPECT_EQ(status(0), 0xC9);
  uint8_t byte = 0x11;
  EXPECT_EQ(call(FN_WRITE, 0, 0, 0, 1, &byte), CS_WRITE_ERROR);
  EXPECT_EQ(call(FN_ERASE, 0, 0, 0, 2), CS_WRITE_ERROR);
  EXPECT_EQ(read(0, 0, 0, 1)[0], 0xFF);
}

TEST_F(VirtualReaderTest, DeviceTypeSetOnABlankCardIsKeptByTheReader) {
  makeReaders({CardTemplate::Blank});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  EXPECT_EQ(device(0, 0, 0).size, 0x4000000u);  // undescribed: shown as the largest SRAM
  uint8_t byte = 0;
  EXPECT_EQ(call(FN_READ, 0, 0, 0, 1, &byte), CS_OUT_OF_RANGE);  // nothing selected yet

  DeviceRecord sram{KIND_SRAM, 0x100000, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(call(FN_SET_DEVICE, 0, 0, 0, sizeof sram, &sram), CS_OK);
  EXPECT_EQ(device(0, 0, 0).size, 0x100000u);
  EXPECT_EQ(device(0, 1, 0).size, 2048u);  // the attribute default went to the reader too
  ASSERT_EQ(select(0, 0), CS_OK);
  EXPECT_EQ(call(FN_READ, 0, 0, 0, 1, &byte), CS_OK);
}

TEST_F(VirtualReaderTest, AnUnflushedAtaWriteReachesTheCardWhenTheModuleIsUnloaded) {
  makeReaders({CardTemplate::Sram, CardTemplate::Ata});
  ASSERT_EQ(status(1) & 0x80, 0x80);
  uint8_t byte = 0x42;
  ASSERT_EQ(call(FN_WRITE, 1, 0, 0x201, 1, &byte), CS_OK);  // held in the sector cache
  ASSERT_EQ(select(1, 0), CS_OK);  // the selection no longer matters to the held sector

  module.reset();  // the caller unloads without FN_FLUSH

  auto other = zrb2x::InProcessDevices::forVirtualReaders(scratch.path());
  ASSERT_TRUE(other->OpenLibrary());
  ASSERT_EQ(other->CountDevices(), 2u);
  std::vector<uint8_t> sector(512);
  ASSERT_EQ(other->ReadSectors(1, 1, 1, sector.data(), 512), 0u);
  EXPECT_EQ(sector[1], 0x42);
  EXPECT_EQ(sector[0], 0x00);
  other->CloseLibrary();
}

// Puts a region table into a reader as another program would.
void storeTable(const std::filesystem::path& root, uint32_t device, const zrb2x::DeviceTable& table) {
  auto other = zrb2x::InProcessDevices::forVirtualReaders(root);
  ASSERT_TRUE(other->OpenLibrary());
  ASSERT_GT(other->CountDevices(), device);
  zrb2x::DeviceTable copy = table;
  uint32_t result = other->WriteDeviceTable(device, &copy);
  if (result == 0x28000006) result = other->WriteDeviceTable(device, &copy);  // the card change, once
  ASSERT_EQ(result, 0u);
  other->CloseLibrary();
}

TEST_F(VirtualReaderTest, ARegionIsNeverLeftWithoutAKind) {
  makeReaders({CardTemplate::TwoRegion});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  // A record without a kind would leave a range that no call can reach or
  // describe again; it is refused, and the flash keeps its description.
  DeviceRecord none{KIND_NONE, 0x100000, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, 0x80000, sizeof none, &none), CS_DEVICE_FAILURE);
  DeviceRecord byteZero{0x300, 0x100000, 0, 0, 0, 0, 0, 0};  // the reader keeps the low byte only
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 0, 0x80000, sizeof byteZero, &byteZero), CS_DEVICE_FAILURE);
  const DeviceRecord flash = device(0, 0, 0x80000);
  EXPECT_EQ(flash.kind, KIND_FLASH);
  EXPECT_EQ(flash.chipId, 0xA401u);
  EXPECT_EQ(call(FN_SET_DEVICE, 0, 1, 0, sizeof none, &none), CS_DEVICE_FAILURE);
  EXPECT_EQ(device(0, 1, 0).kind, KIND_EEPROM);
}

TEST_F(VirtualReaderTest, ARegionWithoutAKindCanBeDescribedAgain) {
  makeReaders({CardTemplate::TwoRegion});
  ASSERT_EQ(status(0) & 0x80, 0x80);
  // A reader that already keeps a region without a kind (written elsewhere).
  zrb2x::DeviceTable table{};
  table.region[0] = {KIND_SRAM, 0, 0x80000, 0};
  table.region[1] = {KIND_NONE, 0, 0x100000, 0};
  table.region[4] = {KIND_EEPROM, 0, 2048, 0};
  storeTable(scratch.path(), 0, table);

  DeviceRecord shown{};
  EXPECT_EQ(call(FN_GET_DEVICE, 0, 0, 0x80000, sizeof shown, &shown), CS_BAD_OFFSET);  // no region to show
  ASSERT_EQ(select(0, 1), CS_OK);
  uint8_t byte = 0;
  EXPECT_EQ(call(FN_WRITE, 0, 0, 0, 1, &byte), CS_NO_DEVICE);

  DeviceRecord flash{KIND_FLASH, 0x100000, 0xA401, 4, 0, 0, 0, 0};
  ASSERT_EQ(call(FN_SET_DEVICE, 0, 0, 0x80000, sizeof flash, &flash), CS_OK);
  EXPECT_EQ(device(0, 0, 0x80000).eraseUnit, 0x20000u);
  ASSERT_EQ(select(0, 1), CS_OK);
  const auto data = pattern(16, 4);
  ASSERT_EQ(call(FN_ERASE, 0, 0, 0, 0x20000), CS_OK);
  ASSERT_EQ(call(FN_WRITE, 0, 0, 0, 16, const_cast<uint8_t*>(data.data())), CS_OK);
  EXPECT_EQ(read(0, 0, 0, 16), data);
}

// The card manager's legacy entry over this accessor: the path the card
// utility takes to set a device type.
class ManagerOverAccessor : public VirtualReaderTest, public ModuleHost {
 protected:
  static inline AttachedModule* served = nullptr;
  static int32_t CS_STDCALL entry(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                  uint32_t length, void* data) {
    return served->cards().call(code, socket, space, offset, length, data);
  }
  OpenedModule open(const char* fileName) override {
    if (std::string(fileName) != "VESKCI2XS.DLL") return {};
    served = module.get();
    return {module.get(), "5.2.0.111", entry};
  }
  void close(void*) override {}
  void reportVersionMismatch(const char*, const VersionNumbers&, uint32_t, uint32_t) override {}

  int32_t legacy(uint32_t code, uint32_t offset, LegacyDeviceRecord& record) {
    SlotRequest request{0, 0, offset};
    return manager.slotHubService(code, &request, sizeof request, &record, sizeof record);
  }

  CardManager manager{*this, parseVersionString("5.2.0.111")};
};

TEST_F(ManagerOverAccessor, AnUnknownLegacyTypeLeavesTheRegionDescribable) {
  makeReaders({CardTemplate::TwoRegion});
  uint8_t byte = 0;
  SlotRequest request{0, 0, 0};
  ASSERT_EQ(manager.slotHubService(FN_STATUS, &request, sizeof request, &byte, 1), CS_OK);

  LegacyDeviceRecord unknown{250, 0, 0x100000};
  EXPECT_EQ(legacy(FN_SET_DEVICE, 0x80000, unknown), CS_DEVICE_FAILURE);
  LegacyDeviceRecord back{};
  ASSERT_EQ(legacy(FN_GET_DEVICE, 0x80000, back), CS_OK);
  EXPECT_EQ(back.type, 69);  // still the 29F040 the card came with

  // ... and every listed type can still be set there and read back.
  for (uint16_t type : legacyDeviceTypeListOrder()) {
    if (type == 8) continue;  // an ATA description is kept by ATA cards only
    LegacyDeviceRecord set{type, 0, 0x100000};
    ASSERT_EQ(legacy(FN_SET_DEVICE, 0x80000, set), CS_OK) << type;
    ASSERT_EQ(legacy(FN_GET_DEVICE, 0x80000, back), CS_OK) << type;
    EXPECT_EQ(back.type, type);
  }
}

TEST_F(VirtualReaderTest, LockTakesTheReader) {
  makeReaders({CardTemplate::Sram});
  int32_t take = -1, release = 0;
  EXPECT_EQ(call(FN_LOCK, 0, 0, 0, 4, &take), CS_OK);
  EXPECT_EQ(call(FN_LOCK, 0, 0, 0, 4, &release), CS_OK);
}

}  // namespace
}  // namespace accessor::test
