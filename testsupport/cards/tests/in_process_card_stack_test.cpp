// The in-process card stack is the real card path: what a program writes
// through the bound manager is on the virtual card, a pulled card is seen,
// and the manager and accessor go away with the last unbinding.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "card_manager.h"
#include "card_manager_binding.h"
#include "in_process_card_stack.h"

namespace zrb::test {
namespace {

using namespace cardservice;
using zrb2x::virt::CardTemplate;

TEST(InProcessCardStack, AProgramBindsTheManagerAndReachesEveryCard) {
  InProcessCardStack cards;
  cards.addReader(CardTemplate::Sram);
  cards.addReader(CardTemplate::Flash28F008);
  CardManagerBinding binding(cards);
  ASSERT_EQ(binding.bind(), CS_OK);
  ManagerInfo info{};
  ASSERT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
  EXPECT_EQ(uint32_t{info.socketCount}, 2u);
  EXPECT_TRUE(cards.versionMismatches().empty());

  SlotRequest request{0, 0, 0x100};
  uint8_t status = 0;
  ASSERT_EQ(binding.service(FN_STATUS, &request, &status, 1), CS_OK);
  EXPECT_EQ(status & STATUS_CARD_PRESENT, STATUS_CARD_PRESENT);
  const std::vector<uint8_t> written = {0x12, 0x34, 0x56, 0x78};
  ASSERT_EQ(binding.service(FN_WRITE, &request, const_cast<uint8_t*>(written.data()), 4), CS_OK);
  std::vector<uint8_t> back(4);
  ASSERT_EQ(binding.service(FN_READ, &request, back.data(), 4), CS_OK);
  EXPECT_EQ(back, written);

  // The bytes are in the card's image file, not only in some cache.
  std::ifstream image(cards.readersFolder() / "reader000" / "common.img", std::ios::binary);
  image.seekg(0x100);
  std::vector<char> onCard(4);
  image.read(onCard.data(), 4);
  EXPECT_EQ(std::vector<uint8_t>(onCard.begin(), onCard.end()), written);

  // Socket 1 is the flash card (polled first, as programs do, which reads
  // its region table): programming cannot set a cleared bit again.
  SlotRequest flash{1, 0, 0};
  ASSERT_EQ(binding.service(FN_STATUS, &flash, &status, 1), CS_OK);
  uint8_t zero[2] = {0x00, 0x00}, one[2] = {0xFF, 0xFF}, read[2] = {};
  ASSERT_EQ(binding.service(FN_WRITE, &flash, zero, 2), CS_OK);
  binding.service(FN_WRITE, &flash, one, 2);
  ASSERT_EQ(binding.service(FN_READ, &flash, read, 2), CS_OK);
  EXPECT_EQ(read[0], 0x00);
}

TEST(InProcessCardStack, APulledCardIsSeenThroughTheManager) {
  InProcessCardStack cards;
  auto reader = cards.addReader(CardTemplate::Eeprom);
  CardManagerBinding binding(cards);
  ASSERT_EQ(binding.bind(), CS_OK);
  SlotRequest request{0, 0, 0};
  uint8_t status = 0;
  ASSERT_EQ(binding.service(FN_STATUS, &request, &status, 1), CS_OK);
  ASSERT_EQ(zrb2x::virt::removeCard(reader), "");
  binding.service(FN_STATUS, &request, &status, 1);
  EXPECT_EQ(status & STATUS_CARD_PRESENT, 0);
  uint8_t byte = 0;
  EXPECT_NE(binding.service(FN_READ, &request, &byte, 1), CS_OK);
}

TEST(InProcessCardStack, TheLastUnbindingTearsTheManagerDown) {
  InProcessCardStack cards;
  cards.addReader(CardTemplate::Sram);
  {
    CardManagerBinding binding(cards);
    ASSERT_EQ(binding.bind(), CS_OK);
    EXPECT_NE(cards.manager(), nullptr);
    binding.unbind();
    EXPECT_EQ(cards.manager(), nullptr);
    ASSERT_EQ(binding.bind(), CS_OK);  // and it comes back
    EXPECT_NE(cards.manager(), nullptr);
  }
  EXPECT_EQ(cards.manager(), nullptr);
}

TEST(InProcessCardStack, WithoutAReaderTheManagerDoesNotOpenAndTheProgramRunsOnTheFallback) {
  // The accessor refuses to attach without a reader-writer, so the manager
  // has no module and its open fails, as with the real libraries.
  InProcessCardStack cards;
  CardManagerBinding binding(cards);
  EXPECT_EQ(binding.bind(), CS_NOT_SUPPORTED);
  EXPECT_EQ(cards.manager(), nullptr);
  SlotRequest request{0, 0, 0};
  uint8_t byte = 0;
  EXPECT_EQ(binding.service(FN_READ, &request, &byte, 1), CS_NOT_SUPPORTED);
}

}  // namespace
}  // namespace zrb::test
