#include "card_report.h"

#include "card_manager_binding.h"
#include "in_process_card_stack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace cardservice;

namespace {

struct FakeSocket {
  uint8_t status;
  std::vector<LegacyDeviceRecord> common;  // regions answered at successive offsets
  LegacyDeviceRecord attribute;
};

class FakeManager : public cardservice::CardManagerCalls {
 public:
  std::vector<FakeSocket> sockets;
  std::vector<uint32_t> lookUpOffsets;
  bool closed = false;

  int32_t veskcm(uint32_t code, uint32_t, uint32_t, uint32_t, uint32_t length, void* data) override {
    if (code == FN_CLOSE) closed = true;
    if (code == FN_OPEN) return sockets.empty() ? CS_DEVICE_FAILURE : CS_OK;
    if (code == FN_INFO) {
      ManagerInfo info{5, 2, 0, 111, static_cast<uint32_t>(sockets.size()), {}};
      for (size_t i = 0; i < sockets.size(); ++i) info.socketCategory[i] = 2;
      std::memcpy(data, &info, length);
    }
    return CS_OK;
  }
  int32_t service(uint32_t code, const SlotRequest* request, void* buffer, uint32_t) override {
    const FakeSocket& s = sockets.at(request->socket);
    if (code == FN_STATUS) {
      *static_cast<uint8_t*>(buffer) = s.status;
      return CS_OK;
    }
    if (code != FN_GET_DEVICE) return CS_NOT_SUPPORTED;
    if (request->space) {
      std::memcpy(buffer, &s.attribute, sizeof s.attribute);
      return CS_OK;
    }
    const uint32_t offset = request->offset;
    lookUpOffsets.push_back(offset);
    uint32_t start = 0;
    for (const auto& region : s.common) {
      if (offset == start) {
        std::memcpy(buffer, &region, sizeof region);
        return CS_OK;
      }
      start += region.size;
    }
    return CS_BAD_OFFSET;
  }
};

}  // namespace

TEST(CardReport, ListsSocketsStatusesAndTheRegionsOfReadyCards) {
  FakeManager manager;
  manager.sockets.push_back({0xA8, {{0, 0, 0x100000}, {3, 0xA289, 0x400000}}, {1, 0, 2048}});
  manager.sockets.push_back({0x08, {}, {}});
  const std::string report = cardinfo::buildReport(manager);
  EXPECT_EQ(report,
            "card manager 5.2.0.111, 2 socket(s)\n"
            "socket 0 (USB): card present, usable, battery low, writable\n"
            "  common region 0: SRAM, 1048576 bytes at 0x0\n"
            "  common region 1: 28F008~, 4194304 bytes at 0x100000, chip A289\n"
            "  attribute memory: EEPROM, 2048 bytes\n"
            "socket 1 (USB): no card, usable\n");
  // Regions are looked up where the one before ends, until one fails.
  EXPECT_EQ(manager.lookUpOffsets, (std::vector<uint32_t>{0, 0x100000, 0x500000}));
  EXPECT_TRUE(manager.closed);
}

TEST(CardReport, SaysWhenNoModuleServes) {
  FakeManager manager;
  EXPECT_EQ(cardinfo::buildReport(manager),
            "card manager 5.2.0.111, 0 socket(s) (no accessor module serves a socket)\n");
}

TEST(CardReport, StatusWords) {
  EXPECT_EQ(cardinfo::describeStatus(0x99), "card present, usable, battery dead, write-protected");
  EXPECT_EQ(cardinfo::describeStatus(0x80), "card present, not usable, battery good, writable");
  EXPECT_EQ(cardinfo::describeStatus(0x00), "no card, not usable");
}

// The same report over the real manager, accessor and virtual readers.
TEST(CardReport, OverTheRealCardPathListsTheVirtualCards) {
  zrb::test::InProcessCardStack cards;
  cards.addReader(zrb2x::virt::CardTemplate::Sram);
  cards.addEmptyReader();
  CardManagerBinding manager(cards);
  ASSERT_EQ(manager.bind(), CS_OK);
  const std::string report = cardinfo::buildReport(manager);
  EXPECT_NE(report.find("card manager 5.2.0.111, 2 socket(s)\n"), std::string::npos) << report;
  EXPECT_NE(report.find("socket 0 (USB): card present, usable"), std::string::npos) << report;
  EXPECT_NE(report.find("common region 0: SRAM"), std::string::npos) << report;
  EXPECT_NE(report.find("socket 1 (USB): no card"), std::string::npos) << report;
}
