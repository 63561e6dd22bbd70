// Speeds, power parameters, sizes, dates, times and baud rates.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decoders.h"
#include "sjis.h"

namespace cis {
namespace {

using test::sjis;

std::string s(char* text) { return text; }

TEST(SpeedDecoders, ExtendedSpeedsMantissasAndExponents) {
  char b[128];
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x12)), "120 nS");  // 1.2 and exponent 2
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x08)), "1.0 nS");
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x0B)), "1.0 uS");
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x0C)), "10 uS");
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x34)), "25 uS");
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x80)), sjis("(予約)"));
  EXPECT_EQ(s(CisXDSpeedItoS(b, 0x07)), sjis("(予約)"));  // mantissa 0
  EXPECT_EQ(s(CisSDSpeedItoS(b, 0x12, 3)), "120 uS");
  EXPECT_EQ(s(CisXDSpeedMantItoS(b, 0)), "*.*");
  EXPECT_EQ(s(CisXDSpeedMantItoS(b, 16)), "9.0");
  EXPECT_EQ(s(CisXDSpeedMantItoS(b, 17)), sjis("(無効)"));
  EXPECT_EQ(s(CisXDSpeedExpItoS(b, 0)), "1 nS");
  EXPECT_EQ(s(CisXDSpeedExpItoS(b, 7)), "10 mS");
  const uint8_t plain[] = {2, 0x99};
  const uint8_t extended[] = {7, 0x12};
  EXPECT_EQ(s(CisDSpeedItoSEx(b, plain)), "200 nS");
  EXPECT_EQ(s(CisDSpeedItoSEx(b, extended)), "120 nS");
}

TEST(PowerDecoders, CurrentsVoltagesAndExtensions) {
  char b[128];
  EXPECT_EQ(s(CisCePdIItoS(b, 0x00)), "100 nA");
  EXPECT_EQ(s(CisCePdVItoS(b, 0x05)), "1.0 V");
  EXPECT_EQ(s(CisCePdVItoS(b, (6 << 3) | 5)), "3.0 V");
  EXPECT_EQ(s(CisCePdVItoS(b, (3 << 3) | 0)), "15 uV");  // mantissa 3 is pair 4
  EXPECT_EQ(s(CisCePdIMantItoS(b, 6)), "3.0");
  EXPECT_EQ(s(CisCePdIExpItoS(b, 1)), "1 uA");
  EXPECT_EQ(s(CisCePdVExpItoS(b, 5)), "1 V");
  const uint8_t v330[] = {0x80 | (6 << 3) | 5, 30};
  EXPECT_EQ(s(CisCePdVStr(b, v330)), "3.30 V");
  // The last extension byte below 100 counts; 0x7D-0x7F are not values.
  const uint8_t chained[] = {0x80 | (6 << 3) | 5, 0x80 | 12, 0x80 | 0x7D, 0x05, 0xAA};
  EXPECT_EQ(s(CisCePdVStr(b, chained)), "3.05 V");
  const uint8_t onlySpecial[] = {0x80 | (6 << 3) | 5, 0x7E};
  EXPECT_EQ(s(CisCePdVStr(b, onlySpecial)), "3.0 V");
  const uint8_t current[] = {0x80 | (3 << 3) | 2, 25};  // 1.5 at exponent 2+2: 15 uA, extension 25
  EXPECT_EQ(s(CisCePdIStr(b, current)), "12.5 uA");
  EXPECT_EQ(s(CisCePdXItoS(b, 5)), "05");
  EXPECT_EQ(s(CisCePdXItoS(b, 0x80 | 99)), "99");
  EXPECT_EQ(s(CisCePdXItoS(b, 100)), sjis("(予約)"));
  EXPECT_EQ(s(CisCePdXItoS(b, 0x7F)), sjis("ﾉｰｺﾈｸｼｮﾝを必要とする"));
}

TEST(SizeDecoders, DeviceGeometryAndByteSizes) {
  EXPECT_EQ(CisDSize(0x00), 512u);
  EXPECT_EQ(CisDSize(0x0E), 4u * 1024 * 1024);
  EXPECT_EQ(CisDSize(0x07), 0u);
  EXPECT_EQ(CisDSize(0xFE), 32u * 2 * 1024 * 1024);
  EXPECT_EQ(CisDgSize(0), 0u);
  EXPECT_EQ(CisDgSize(1), 1u);
  EXPECT_EQ(CisDgSize(10), 512u);
  EXPECT_EQ(CisDgSize(32), 0x80000000u);
  EXPECT_EQ(CisDgSize(33), 0u);  // would not fit: invalid rather than wrapped
  char b[128];
  EXPECT_EQ(s(CisDgSizeItoS(b, 0)), sjis("(無効)"));
  EXPECT_EQ(s(CisDgSizeItoS(b, 12)), "2048");
  EXPECT_EQ(s(CisULtoS2Byte(b, 1536)), "1536 B");
  EXPECT_EQ(s(CisULtoS2Byte(b, 2048)), "2 KB");
  EXPECT_EQ(s(CisULtoS2Byte(b, 3145728)), "3 MB");
  EXPECT_EQ(s(CisULtoS2(b, 0)), "0 ");
  EXPECT_EQ(s(CisULtoS2(b, 0xFFFFFFFFu)), "4294967295 ");
  EXPECT_EQ(s(CisFmtBkszItoS(b, 0)), sjis("ｱﾝﾌｫｰﾏｯﾄ"));
  EXPECT_EQ(s(CisFmtBkszItoS(b, 512)), "512 B");
}

TEST(DateDecoders, DatesTimesAndRates) {
  char b[128];
  EXPECT_EQ(s(CisDateItoS(b, (19u << 9) | (7u << 5) | 4u)), "99-07-04");
  EXPECT_EQ(s(CisDateItoS(b, (25u << 9) | (12u << 5) | 31u)), "05-12-31");
  EXPECT_EQ(s(CisDateItoS(b, 0)), sjis("(無効)"));
  EXPECT_EQ(s(CisTimeItoS(b, (23u << 11) | (59u << 5) | 29u)), "23:59:58");
  EXPECT_EQ(s(CisTimeItoS(b, 0)), sjis("(無効)"));
  EXPECT_EQ(s(CisFeSpBaudWtoS(b, 0x8001)), "28800");  // (1 * 256 + 0x80) * 75
  EXPECT_EQ(s(CisFeSpBaudWtoS(b, 0x00F9)), "19200");  // only the low 3 bits of the first byte count
}

}  // namespace
}  // namespace cis
