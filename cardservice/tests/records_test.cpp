#include "card_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace cardservice;

TEST(CardServiceRecords, SlotRequestIsLaidOutByteForByte) {
  const uint8_t wire[6] = {3, 1, 0x78, 0x56, 0x34, 0x12};
  SlotRequest request;
  std::memcpy(&request, wire, sizeof wire);
  EXPECT_EQ(request.socket, 3);
  EXPECT_EQ(request.space, 1);
  const uint32_t offset = request.offset;  // packed field: copy before binding a reference
  EXPECT_EQ(offset, 0x12345678u);
}

TEST(CardServiceRecords, LegacyManagerInfoPacksVersionAsMinorThenMajor) {
  LegacyManagerInfo info{};
  info.version = static_cast<uint16_t>((5u << 8) | 2u);
  uint8_t bytes[6];
  std::memcpy(bytes, &info, sizeof bytes);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[1], 5);
}

TEST(CardServiceRecords, CardReadyNeedsPresentAndUsable) {
  EXPECT_TRUE(cardReady(0x88));
  EXPECT_TRUE(cardReady(0xF9));
  EXPECT_FALSE(cardReady(0x80));
  EXPECT_FALSE(cardReady(0x08));
  EXPECT_FALSE(cardReady(0x00));
}

TEST(CardServiceRecords, SixteenCategoryNames) {
  EXPECT_STREQ(kCategoryNames[0], "PCMCIA");
  EXPECT_STREQ(kCategoryNames[1], "SCSI");
  EXPECT_STREQ(kCategoryNames[2], "USB");
  EXPECT_STREQ(kCategoryNames[3], "BUS");
  for (unsigned i = 4; i < kCategoryCount; ++i)
    EXPECT_EQ(std::string(kCategoryNames[i]), "Reserved" + std::to_string(i));
}
