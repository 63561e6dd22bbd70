// The card access layer over the real card path (card manager, accessor and
// device library over virtual reader-writers), with a scripted manager only
// for answers no real card gives.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <ostream>
#include <vector>

#include "card_access.h"
#include "card_manager_binding.h"
#include "card_manager_doubles.h"
#include "device_tables.h"
#include "in_process_card_stack.h"
#include "recording_messages.h"
#include "result_codes.h"
#include "virtual/card_templates.h"

namespace tessel {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

// One area of a socket's record, copied out of the packed record.
struct Area {
  unsigned type, chipId;
  uint32_t size, eraseUnit;
  bool operator==(const Area&) const = default;
};
Area area(const SocketInfo& info, unsigned index) {
  return {info.deviceType[index], info.chipId[index], info.areaSize[index], info.eraseUnit[index]};
}
void PrintTo(const Area& a, std::ostream* out) {
  *out << std::hex << "{type " << a.type << ", chip " << a.chipId << ", size " << a.size << ", erase "
       << a.eraseUnit << "}";
}

// The program as it runs: the manager bound through the real binding, every
// call recorded on its way.
class CardPath : public ::testing::Test {
 protected:
  void bindWith(std::initializer_list<CardTemplate> cards, bool emptyReaderLast = false) {
    for (CardTemplate card : cards) readers.push_back(stack.addReader(card));
    if (emptyReaderLast) readers.push_back(stack.addEmptyReader());
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.resize(access.socketCount());  // as the main window allocates it
  }
  uint8_t status(uint8_t socket) {
    uint8_t byte = 0;
    EXPECT_EQ(access.cardStatus(socket, byte), R_SUCCESS);
    return byte;
  }

  zrb::test::InProcessCardStack stack;
  std::vector<std::filesystem::path> readers;
  CardManagerBinding binding{stack};
  test::RecordingManager manager{binding};
  test::RecordingMessages messages;
  CardAccess access{manager, messages};
};

TEST(CardAccessBinding, WithoutAManagerBindingFailsQuietlyAndEveryOperationAnswers21) {
  test::NoLibraries nothing;
  CardManagerBinding binding(nothing);
  test::RecordingMessages messages;
  CardAccess access(binding, messages);
  EXPECT_FALSE(access.bindCardService());
  EXPECT_FALSE(access.bound());
  EXPECT_TRUE(messages.shown.empty());  // the start-up reports it, not this layer

  uint8_t byte = 0;
  LegacyDeviceRecord record{};
  const SlotRequest request{0, 0, 0};
  const uint16_t results[] = {
      access.cardStatus(0, byte),
      access.cardGetDevice(request, record),
      access.cardSetDevice(request, record),
      access.cardRead(request, &byte, 1),
      access.cardWrite(request, &byte, 1),
      access.cardErase(request, 2),
      access.cardSelectRegion(0, 0),
      access.cardSocketOptions(0, 3),
      access.cardLock(0),
      access.cardUnlock(0),
      access.cardFlush(0),
  };
  for (uint16_t result : results) EXPECT_EQ(result, CS_NOT_SUPPORTED);
  EXPECT_EQ(access.countRegions(0), 0);
  access.showCardError(access.cardFlush(0));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "15 : Error Code");
  access.unbindCardService();  // nothing bound: still safe
}

TEST(CardAccessBinding, AFailedManagerInformationIsShownOnceAndLeavesTheProgramUnbound) {
  test::ScriptedManager manager;
  manager.infoResult = CS_DEVICE_FAILURE;
  test::RecordingMessages messages;
  CardAccess access(manager, messages);
  EXPECT_FALSE(access.bindCardService());
  EXPECT_FALSE(access.bound());
  EXPECT_EQ(access.socketCount(), 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "19 : Error Code");
}

TEST(CardAccessBinding, MoreThanSixteenSocketsAreCutToSixteenWithTheirCategoriesLowByte) {
  test::ScriptedManager manager;
  manager.info.socketCount = 20;
  for (unsigned socket = 0; socket < 20; ++socket) manager.info.socketCategory[socket] = 0x100 + socket % 4;
  test::RecordingMessages messages;
  CardAccess access(manager, messages);
  ASSERT_TRUE(access.bindCardService());
  EXPECT_EQ(manager.infoLength, 148u);
  EXPECT_EQ(access.socketCount(), 16);
  for (unsigned socket = 0; socket < 16; ++socket) EXPECT_EQ(access.sockets().category[socket], socket % 4);
}

TEST_F(CardPath, BindsTheRealManagerAndLetsItGo) {
  bindWith({CardTemplate::Sram, CardTemplate::Eeprom}, true);
  EXPECT_TRUE(access.bound());
  EXPECT_EQ(access.socketCount(), 3);
  EXPECT_EQ(access.sockets().category[0], access.sockets().category[2]);
  EXPECT_TRUE(messages.shown.empty());
  access.unbindCardService();
  EXPECT_FALSE(access.bound());
  EXPECT_EQ(stack.manager(), nullptr);
  uint8_t byte = 0;
  EXPECT_EQ(access.cardStatus(0, byte), CS_NOT_SUPPORTED);
  access.unbindCardService();
}

TEST_F(CardPath, RegionsAreCountedByWalkingTheCardsLookUpOffsets) {
  bindWith({CardTemplate::TwoRegion, CardTemplate::Sram}, true);
  manager.calls.clear();
  EXPECT_EQ(access.countRegions(0), 2);
  const auto lookUps = manager.callsOf(FN_GET_DEVICE);
  ASSERT_EQ(lookUps.size(), 3u);  // the third finds nothing and ends the walk
  EXPECT_EQ(uint32_t{lookUps[0].request.offset}, 0u);
  EXPECT_EQ(uint32_t{lookUps[1].request.offset}, 0x80000u);
  EXPECT_EQ(uint32_t{lookUps[2].request.offset}, 0x180000u);

  EXPECT_EQ(access.countRegions(1), 1);

  // No card: the status says so and no region is looked up at all.
  manager.calls.clear();
  EXPECT_EQ(access.countRegions(2), 0);
  EXPECT_TRUE(manager.callsOf(FN_GET_DEVICE).empty());
  EXPECT_EQ(manager.callsOf(FN_STATUS).size(), 1u);
}

TEST_F(CardPath, SocketInformationIsWhatTheCardReports) {
  bindWith({CardTemplate::TwoRegion, CardTemplate::Flash28F008}, true);
  SocketInfo info;
  access.readSocketInfo(0, info);
  EXPECT_EQ(info.regionCount, 2);
  EXPECT_EQ(area(info, 0), (Area{0, 0, 0x80000, 2}));  // SRAM
  EXPECT_EQ(area(info, 1), (Area{69, 0xA401, 0x100000, 0x20000}));
  EXPECT_EQ(area(info, 2), Area{});
  EXPECT_EQ(area(info, 3), Area{});
  EXPECT_EQ(area(info, kAttributeArea), (Area{1, 0, 0x2000, 2}));  // EEPROM

  access.readSocketInfo(1, info);
  EXPECT_EQ(info.regionCount, 1);
  EXPECT_EQ(area(info, 0), (Area{3, 0xA289, 0x200000, 0x20000}));

  // An empty socket: nothing, not even attribute memory, and no leftovers.
  access.readSocketInfo(2, info);
  SocketInfo zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
}

TEST_F(CardPath, AnUnknownRegionTakesTheStoredDefaultWhileTheNextStillStartsWhereTheCardSays) {
  bindWith({CardTemplate::TwoRegion});
  // Describe region 0 as of unknown type, as a card nobody has set up is.
  ASSERT_EQ(access.cardSetDevice({0, 0, 0}, LegacyDeviceRecord{kTypeUnknown, 0, 0x80000}), R_SUCCESS);
  SocketInfo info;
  access.readSocketInfo(0, info);
  ASSERT_EQ(info.regionCount, 2);
  EXPECT_EQ(area(info, 0), (Area{kTypeUnknown, 0, 0x80000, 0x10000}));

  SocketSettings& settings = access.sockets().settings[0];
  settings.useDefault = 1;
  settings.defaultType = 0x0145;  // only the low byte, 69, is a type code
  settings.defaultSize = 0x200000;
  manager.calls.clear();
  access.readSocketInfo(0, info);
  EXPECT_EQ(info.regionCount, 2);
  EXPECT_EQ(area(info, 0), (Area{69, deviceChipId(69), 0x200000, 0x20000}));
  // The second region is the card's flash region, looked up at the card's offset.
  EXPECT_EQ(area(info, 1), (Area{69, 0xA401, 0x100000, 0x20000}));
  std::vector<uint32_t> offsets;
  for (const test::ServiceCall& call : manager.callsOf(FN_GET_DEVICE))
    if (call.request.space == 0) offsets.push_back(uint32_t{call.request.offset});
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 0x80000, 0x180000, 0, 0x80000}));

  // The default covers only unknown regions: known ones stay as reported.
  access.sockets().settings[0].useDefault = 0;
  ASSERT_EQ(access.cardSetDevice({0, 0, 0}, LegacyDeviceRecord{0, 0, 0x80000}), R_SUCCESS);
  access.sockets().settings[0].useDefault = 1;
  access.readSocketInfo(0, info);
  EXPECT_EQ(area(info, 0), (Area{0, 0, 0x80000, 2}));
}

TEST_F(CardPath, OperationsReachTheCardWithTheirArguments) {
  bindWith({CardTemplate::TwoRegion});
  // Selecting region 1 makes offset 0 the flash region's start on the card.
  ASSERT_EQ(access.cardSelectRegion(0, 1), R_SUCCESS);
  ASSERT_EQ(access.cardLock(0), R_SUCCESS);
  const uint8_t pattern[4] = {0x12, 0x34, 0x00, 0x0F};
  EXPECT_EQ(access.cardWrite({0, 0, 0x10}, pattern, sizeof pattern), R_SUCCESS);
  uint8_t back[4] = {};
  EXPECT_EQ(access.cardRead({0, 0, 0x10}, back, sizeof back), R_SUCCESS);
  EXPECT_EQ(std::memcmp(back, pattern, sizeof back), 0);
  EXPECT_EQ(access.cardFlush(0), R_SUCCESS);
  EXPECT_EQ(access.cardUnlock(0), R_SUCCESS);

  std::ifstream image(readers[0] / "common.img", std::ios::binary);
  image.seekg(0x80010);
  char onCard[4] = {};
  image.read(onCard, sizeof onCard);
  EXPECT_EQ(std::memcmp(onCard, pattern, sizeof onCard), 0);

  const auto locks = manager.callsOf(FN_LOCK);
  ASSERT_EQ(locks.size(), 2u);
  EXPECT_EQ(locks[0].buffer, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(locks[1].buffer, (std::vector<uint8_t>{0, 0, 0, 0}));

  EXPECT_NE(access.cardSelectRegion(0, 2), R_SUCCESS);  // the card has two regions
}

TEST_F(CardPath, AWriteProtectedCardShowsInItsStatusAndKeepsItsData) {
  // The status bit is what the card windows test to refuse with 26 before
  // writing; a write that reaches the card all the same must fail there.
  bindWith({CardTemplate::Sram});
  status(0);  // the first status after a card arrives selects its region 0
  const uint8_t before[2] = {0x5A, 0xA5};
  ASSERT_EQ(access.cardWrite({0, 0, 0}, before, sizeof before), R_SUCCESS);
  ASSERT_EQ(zrb2x::virt::changeReader(readers[0], [](auto& state) { state.writeProtect = true; }), "");
  EXPECT_EQ(status(0) & STATUS_WRITE_PROTECTED, STATUS_WRITE_PROTECTED);
  const uint8_t word[2] = {1, 2};
  EXPECT_NE(access.cardWrite({0, 0, 0}, word, sizeof word), R_SUCCESS);
  EXPECT_NE(access.cardErase({0, 0, 0}, 2), R_SUCCESS);
  uint8_t back[2] = {};
  ASSERT_EQ(access.cardRead({0, 0, 0}, back, sizeof back), R_SUCCESS);
  EXPECT_EQ(std::memcmp(back, before, sizeof back), 0);
}

TEST_F(CardPath, AnotherReadySocketIsTheHighestUsableOneElseTheSocketItself) {
  bindWith({CardTemplate::Sram, CardTemplate::Sram, CardTemplate::Sram}, true);
  auto& state = access.sockets().state;
  state = {0xC8, 0x38, 0xC8, 0x80};
  EXPECT_EQ(access.findOtherReadySocket(0), 2);
  EXPECT_EQ(access.findOtherReadySocket(2), 0);
  EXPECT_EQ(access.findOtherReadySocket(3), 2);
  state[2] = 0x80;  // present but not usable
  EXPECT_EQ(access.findOtherReadySocket(0), 0);
  state[5] = 0xC8;  // beyond the sockets the manager has
  EXPECT_EQ(access.findOtherReadySocket(0), 0);
}

TEST_F(CardPath, AddressesAreCheckedAgainstTheActiveArea) {
  bindWith({CardTemplate::TwoRegion});
  access.readSocketInfo(0, access.sockets().info[0]);
  ActiveArea& active = access.activeArea();
  active = {0, 1, 0};  // the 1 MiB flash region
  EXPECT_TRUE(access.checkAddressRange(0, 0));
  EXPECT_TRUE(access.checkAddressRange(0x100, 0xFFFFF));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(access.checkAddressRange(0, 0x100000));
  EXPECT_FALSE(access.checkAddressRange(0x200, 0x1FF));

  active = {0, 1, 1};  // attribute memory, whatever region was active
  EXPECT_TRUE(access.checkAddressRange(0, 0x1FFF));
  EXPECT_FALSE(access.checkAddressRange(0, 0x2000));

  active = {0, 2, 0};  // no such region: no address is valid
  EXPECT_FALSE(access.checkAddressRange(0, 0));
  active = {9, 0, 0};  // no such socket
  EXPECT_FALSE(access.checkAddressRange(0, 0));

  ASSERT_EQ(messages.shown.size(), 5u);
  for (const auto& shown : messages.shown) EXPECT_EQ(shown, "105 : オフセット値に誤りがあります");
}

}  // namespace
}  // namespace tessel
