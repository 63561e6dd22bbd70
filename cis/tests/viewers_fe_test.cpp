// Function-extension viewers and their dispatch by function code and type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode.h"
#include "sjis.h"
#include "tuple_builder.h"
#include "tuple_list.h"
#include "viewer_text.h"

namespace cis {
namespace {

using test::sjis;
using test::tuple;
using Lines = std::vector<std::string>;

TEST(FunctionExtensions, DispatchByFunctionAndType) {
  struct Row {
    unsigned function, type;
    uint16_t dialog;
  };
  const Row rows[] = {{2, 0x00, 4129}, {2, 0x0D, 4129}, {2, 0x01, 4128}, {2, 0x0C, 4128}, {2, 0x02, 4119},
                      {2, 0x13, 4122}, {2, 0x33, 4122}, {2, 0x84, 4130}, {2, 0x0B, 4125}, {4, 0x01, 4118},
                      {4, 0x02, 4117}, {4, 0x03, 4117}, {4, 0x04, 4098}, {0, 0x01, 4098}, {2, 0x03, 4098}};
  for (const Row& row : rows) {
    CisTupleRecord record =
        tuple(0x22, {static_cast<uint8_t>(row.type), 0, 0}, static_cast<uint16_t>(row.function));
    EXPECT_EQ(buildViewerText(record).dialogId, row.dialog) << row.function << "/" << row.type;
  }
  EXPECT_EQ(buildViewerText(tuple(0x22, {}, 2)).layout, Layout::HexDump);
}

TEST(FunctionExtensions, FunctionCodeComesFromTheNearestIdentification) {
  CisTupleRecord fe = tuple(0x22, {0x02});
  CisTupleRecord serial = tuple(0x21, {0x02, 0x00});
  CisTupleRecord disk = tuple(0x21, {0x04, 0x00});
  const CisTupleEntry entries[] = {{0x22, &fe}, {0x21, &serial}, {0x22, &fe}, {0x21, &disk}, {0x122, &fe}};
  auto copies = prepareTupleCopies(entries, 5);
  ASSERT_EQ(copies.size(), 5u);
  EXPECT_EQ(copies[0]->attributeWord, 0);  // before any identification
  EXPECT_EQ(copies[2]->attributeWord, 2);
  EXPECT_EQ(copies[4]->attributeWord, 4);  // the low byte of the entry code counts
  EXPECT_EQ(copies[4]->requestedCode, 0x22);
  EXPECT_EQ(buildViewerText(*copies[0]).layout, Layout::HexDump);
  EXPECT_EQ(buildViewerText(*copies[2]).dialogId, 4119);
  EXPECT_EQ(buildViewerText(*copies[4]).dialogId, 4117);
  EXPECT_TRUE(prepareTupleCopies(nullptr, 3).empty());
}

TEST(TupleList, CodesAbove255AreListedAsInvalid) {
  CisTupleRecord fid = tuple(0x21, {0x02, 0x00});
  const CisTupleEntry entries[] = {{0x21, &fid}, {0x121, &fid}, {0x1FF, &fid}, {0xFF, &fid}, {0x0A, nullptr}};
  auto list = prepareTupleList(entries, 5);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].name, tupleName(0x21));
  EXPECT_NE(list[0].name, sjis("(無効)"));
  EXPECT_EQ(list[1].name, sjis("(無効)"));
  EXPECT_EQ(list[2].name, sjis("(無効)"));
  EXPECT_EQ(list[3].name, tupleName(0xFF));
  EXPECT_EQ(list[4].name, sjis("0AH (予約)"));
  // The copy still carries the low byte the viewers go by.
  EXPECT_EQ(list[1].copy->requestedCode, 0x21);
  EXPECT_TRUE(prepareTupleList(nullptr, 2).empty());
}

TEST(FunctionExtensions, SerialModemAndDataModemTexts) {
  ViewerText serial = buildViewerText(tuple(0x22, {0x00, 0x02, 0x0F, 0x7F}, 2));
  EXPECT_EQ(serial.blocks[0].values, (Lines{sjis("ｼﾘｱﾙ ﾎﾟｰﾄ ｲﾝﾀﾌｪｰｽ"), "00H"}));
  EXPECT_EQ(serial.blocks[1].values, (Lines{"16550 UART"}));
  ASSERT_TRUE(serial.blocks[2].list);
  Lines capabilities = serial.blocks[2].values;
  ASSERT_EQ(capabilities.size(), 11u);  // bits 0-3 and 8-14
  EXPECT_EQ(capabilities[0], sjis("ｽﾍﾟｰｽ ﾊﾟﾘﾃｨ"));
  EXPECT_EQ(capabilities[4], sjis("5 ﾋﾞｯﾄ文字"));
  EXPECT_EQ(capabilities[10], sjis("2 ｽﾄｯﾌﾟ ﾋﾞｯﾄ"));

  ViewerText modem = buildViewerText(tuple(0x22, {0x01, 0x05, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01}, 2));
  EXPECT_EQ(modem.blocks[1].values.size(), 5u);
  EXPECT_EQ(modem.blocks[1].values[1], "");
  EXPECT_EQ(modem.blocks[2].values, (Lines{"16 B", "1 KB", "64 KB"}));

  // Data modem: 9600 bit/s, V.32 and V.34, V.42/LAPM, no country codes.
  ViewerText data =
      buildViewerText(tuple(0x22, {0x02, 0x00, 0x80, 0x00, 0x14, 0x02, 0, 0, 0, 0, 0, 0xFF}, 2));
  EXPECT_EQ(data.blocks[1].values, (Lines{"9600"}));
  EXPECT_EQ(data.blocks[2].values, (Lines{"V.32, V.34", "V.42/LAPM", "", "", "", "", ""}));
  EXPECT_EQ(data.blocks[3].values, (Lines{""}));
  ViewerText countries = buildViewerText(tuple(0x22, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x51, 0xB5}, 2));
  EXPECT_EQ(countries.blocks[3].values, (Lines{"51H, B5H"}));
}

TEST(FunctionExtensions, FaxVoiceIsdnDiskAndAta) {
  ViewerText fax = buildViewerText(tuple(0x22, {0x13, 0x00, 0x80, 0x09, 0x00, 0x03, 0x00, 0x00, 0xFF}, 2));
  EXPECT_EQ(fax.blocks[0].values, (Lines{sjis("ﾌｧｸｼﾐﾘ ﾓﾃﾞﾑ ｻｰﾋﾞｽ"), "01H"}));
  EXPECT_EQ(fax.blocks[2].values, (Lines{"V.21-C2, V.17", "", "T.3, T.4"}));
  EXPECT_EQ(fax.blocks[3].values, (Lines{"00H"}));
  ViewerText voice = buildViewerText(tuple(0x22, {0x84, 0, 0, 8, 0, 11, 25, 0, 8, 0, 0, 0x01, 0x02, 0}, 2));
  EXPECT_EQ(voice.blocks[2].values, (Lines{"8.00, 11.25", "8.00", "01H, 02H"}));
  ViewerText isdn =
      buildViewerText(tuple(0x22, {0x0B, 1, 1, 1, 1, 1, 1, 1, 1, 0x11, 0x00, 0x80, 1, 1, 1, 0xFF}, 2));
  ASSERT_EQ(isdn.blocks.size(), 5u);
  EXPECT_EQ(isdn.blocks[1].values.size(), 9u);
  EXPECT_EQ(isdn.blocks[1].values[8], sjis("ﾊﾟｹｯﾄ ﾓｰﾄﾞ, 2 ｱﾅﾛｸﾞ ﾎﾟｰﾄ"));
  EXPECT_EQ(isdn.blocks[3].values, (Lines{"V.42bis", "AT1", sjis("ﾌﾞﾚｰｸ信号")}));
  ViewerText disk = buildViewerText(tuple(0x22, {0x01, 0x01}, 4));
  EXPECT_EQ(disk.blocks[1].values, (Lines{sjis("PC ｶｰﾄﾞ ATA ｲﾝﾀﾌｪｰｽ")}));
  ViewerText ata = buildViewerText(tuple(0x22, {0x02, 0x05, 0x40}, 4));
  ASSERT_EQ(ata.blocks[1].values.size(), 11u);
  EXPECT_EQ(ata.blocks[1].values[0], sjis("ﾒﾃﾞｨｱの書き換えに必要"));
  EXPECT_EQ(ata.blocks[1].values[1], sjis("ｼﾘｺﾝ ﾃﾞﾊﾞｲｽ"));
  EXPECT_EQ(ata.blocks[1].values[10], sjis("ﾃﾞｰﾀ ﾚｼﾞｽﾀのためだけに使用"));
}

}  // namespace
}  // namespace cis
