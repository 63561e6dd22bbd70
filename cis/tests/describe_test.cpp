// CisDescribe: the text of a tuple as its viewer shows it, and the buffer rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "describe.h"
#include "sjis.h"
#include "tuple_builder.h"

namespace cis {
namespace {

using test::sjis;
using test::tuple;

std::string describeAll(const CisTupleRecord& record) {
  unsigned size = CisDescribe(&record, nullptr, 0);
  std::string text(size, 'X');
  EXPECT_EQ(CisDescribe(&record, text.data(), size), size);
  EXPECT_EQ(text.back(), '\0');
  text.pop_back();
  return text;
}

TEST(Describe, SelectorEntriesSubItemsAndDumps) {
  EXPECT_EQ(describeAll(tuple(0x01, {0x64, 0x08, 0x5B, 0x10, 0xFF})),
            sjis("01H ﾃﾞﾊﾞｲｽ情報(ｺﾓﾝ)\r\n"
                 "領域: 1\r\n"
                 "ﾃﾞﾊﾞｲｽ速度: 100 nS\r\nﾗｲﾄﾌﾟﾛﾃｸﾄ: 有効\r\nﾃﾞﾊﾞｲｽ種別: SRAM\r\nﾃﾞﾊﾞｲｽｻｲｽﾞ: 1 KB\r\n"
                 "領域: 2\r\n"
                 "ﾃﾞﾊﾞｲｽ速度: 150 nS\r\nﾗｲﾄﾌﾟﾛﾃｸﾄ: 無効\r\nﾃﾞﾊﾞｲｽ種別: ﾌﾗｯｼｭﾒﾓﾘ\r\nﾃﾞﾊﾞｲｽｻｲｽﾞ: 1536 B\r\n"));
  EXPECT_EQ(describeAll(tuple(0x1A, {0x00, 0x03, 0x00, 0x05})),
            sjis("1AH ｺﾝﾌｨｷﾞｭﾚｰｼｮﾝ\r\nﾃｰﾌﾞﾙ最終ｲﾝﾃﾞｯｸｽ番号: 03H\r\n"
                 "ｺﾝﾌｨｷﾞｭﾚｰｼｮﾝ ﾚｼﾞｽﾀ: 00H\r\nｺﾝﾌｨｷﾞｭﾚｰｼｮﾝ ﾚｼﾞｽﾀ: 04H\r\n"));
  EXPECT_EQ(describeAll(tuple(0x1B, {0x01, 0x01, 0x01, 0x55})),
            sjis("1BH ｺﾝﾌｨｷﾞｭﾚｰｼｮﾝｴﾝﾄﾘ\r\nｲﾝﾃﾞｯｸｽ番号: 01H\r\nﾃﾞﾌｫﾙﾄ ﾋﾞｯﾄ: Off\r\n"
                 "ｲﾝﾀﾌｪｰｽ ﾀｲﾌﾟ: \r\nBVD 信号: \r\nWP 信号: \r\nREADY 信号: \r\nM Wait 信号: \r\n"
                 "機能情報/ｻﾌﾞﾀﾌﾟﾙ: 電源条件情報(Vcc)\r\n標準動作電源電圧: 5.0 V\r\n"));
  EXPECT_EQ(
      describeAll(tuple(0x90, {'O', 'K'})),
      sjis("90H 特殊目的\r\n00: 4F 4B " + std::string(14 * 3, ' ') + " OK" + std::string(14, ' ') + "\r\n"));
  EXPECT_EQ(describeAll(tuple(0x14, {})), sjis("14H ﾉｰﾘﾝｸ\r\n"));
}

TEST(Describe, BufferSizesAndTruncation) {
  CisTupleRecord record = tuple(0x14, {});
  std::string full = sjis("14H ﾉｰﾘﾝｸ\r\n");
  EXPECT_EQ(CisDescribe(&record, nullptr, 100), full.size() + 1);
  char buffer[16];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(CisDescribe(&record, buffer, 0), full.size() + 1);
  EXPECT_EQ(buffer[0], 'X');  // size 0: nothing written
  EXPECT_EQ(CisDescribe(&record, buffer, 5), full.size() + 1);
  EXPECT_STREQ(buffer, "14H ");
  EXPECT_EQ(buffer[5], 'X');
  // A cut inside a double-byte character leaves the whole character out.
  CisTupleRecord date = tuple(0x44, {});
  std::string name = sjis("44H 初期化日時");
  std::memset(buffer, 'X', sizeof buffer);
  CisDescribe(&date, buffer, 7);  // room for "44H " and one kanji (2 bytes), not half of the next
  EXPECT_EQ(std::string(buffer), name.substr(0, 6));
  EXPECT_EQ(CisDescribe(nullptr, buffer, sizeof buffer), 1u);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
}  // namespace cis
