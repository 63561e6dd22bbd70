// Viewer selection, the fixed-field viewers and the hexadecimal dump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode.h"
#include "sjis.h"
#include "text.h"
#include "tuple_builder.h"
#include "viewer_text.h"

namespace cis {
namespace {

using test::sjis;
using test::tuple;
using Lines = std::vector<std::string>;

TEST(ViewerSelection, EveryCodeGetsItsViewerAndDialog) {
  struct Expected {
    unsigned code;
    Layout layout;
    uint16_t dialog;
  };
  const Expected named[] = {
      {0x00, Layout::NameOnly, 4097},  {0x03, Layout::NameOnly, 4097},  {0x14, Layout::NameOnly, 4097},
      {0x01, Layout::Selector, 4115},  {0x17, Layout::Selector, 4115},  {0x1C, Layout::Selector, 4156},
      {0x1D, Layout::Selector, 4156},  {0x06, Layout::Selector, 4154},  {0x10, Layout::Columns, 4113},
      {0x11, Layout::Columns, 4149},   {0x12, Layout::Columns, 4149},   {0x13, Layout::Columns, 4151},
      {0x15, Layout::TwoColumn, 4152}, {0x16, Layout::TwoColumn, 4099}, {0x18, Layout::Selector, 4148},
      {0x19, Layout::Selector, 4148},  {0x1A, Layout::Columns, 4103},   {0x1B, Layout::Columns, 4105},
      {0x1E, Layout::Selector, 4116},  {0x1F, Layout::Selector, 4116},  {0x20, Layout::Columns, 4155},
      {0x21, Layout::Columns, 4144},   {0x40, Layout::Columns, 4153},   {0x41, Layout::Columns, 4145},
      {0x47, Layout::Columns, 4145},   {0x42, Layout::Columns, 4147},   {0x43, Layout::Columns, 4102},
      {0x44, Layout::Columns, 4114},   {0x45, Layout::Columns, 4101},   {0x46, Layout::Columns, 4157},
  };
  for (unsigned code = 0; code <= 0xFF; ++code) {
    CisTupleRecord record = tuple(static_cast<uint8_t>(code), {0x00, 0x00});
    ViewerText view = buildViewerText(record);
    EXPECT_EQ(view.caption, tupleName(code)) << code;
    const Expected* expected = nullptr;
    for (const Expected& e : named)
      if (e.code == code) expected = &e;
    if (code == 0x22) {  // function code 1 with type 0: no extension viewer
      EXPECT_EQ(view.layout, Layout::HexDump);
    } else if (expected) {
      EXPECT_EQ(view.layout, expected->layout) << code;
      EXPECT_EQ(view.dialogId, expected->dialog) << code;
    } else {
      EXPECT_EQ(view.layout, Layout::HexDump) << code;
      EXPECT_EQ(view.dialogId, 4098) << code;
    }
  }
}

TEST(HexDump, LinesPaddingAndLimits) {
  CisTupleRecord record = tuple(0x90, {'A', 0x00, 0x7F, ' ', 0xFF});
  Lines lines = hexDumpLines(record);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "41 00 7F 20 FF " + std::string(11 * 3, ' ') + " A.. ." + std::string(11, ' '));
  record.dataLength = 0;
  EXPECT_TRUE(hexDumpLines(record).empty());
  record.dataLength = 0xFFFF;  // more than the record holds: the 256 data bytes only
  lines = hexDumpLines(record);
  EXPECT_EQ(lines.size(), 16u);
  ViewerText view = hexDumpViewer(record);
  EXPECT_EQ(view.hexRowLabels.front(), "00");
  EXPECT_EQ(view.hexRowLabels.back(), "F0");
}

TEST(DeviceViewers, EntriesPerDeviceAtMostFour) {
  // Five SRAM devices, 1 KB each, the second write-protected with an extended speed.
  CisTupleRecord record =
      tuple(0x01, {0x64, 0x08, 0x6F, 0x12, 0x08, 0x64, 0x08, 0x64, 0x08, 0x64, 0x08, 0xFF});
  ViewerText view = buildViewerText(record);
  EXPECT_EQ(view.selectorLabel, sjis("領域"));
  ASSERT_EQ(view.entries.size(), 4u);
  EXPECT_EQ(view.blocks[0].labels,
            (Lines{sjis("ﾃﾞﾊﾞｲｽ速度"), sjis("ﾗｲﾄﾌﾟﾛﾃｸﾄ"), sjis("ﾃﾞﾊﾞｲｽ種別"), sjis("ﾃﾞﾊﾞｲｽｻｲｽﾞ")}));
  EXPECT_EQ(view.entries[0][0], (Lines{"100 nS", sjis("有効"), "SRAM", "1 KB"}));
  EXPECT_EQ(view.entries[1][0], (Lines{"120 nS", sjis("無効"), "SRAM", "1 KB"}));

  // Other conditions: 3.3 V with wait for the first device only.
  CisTupleRecord oc = tuple(0x1D, {0x03, 0x64, 0x08, 0x64, 0x08});
  view = buildViewerText(oc);
  ASSERT_EQ(view.entries.size(), 2u);
  ASSERT_EQ(view.blocks.size(), 2u);
  EXPECT_EQ(view.entries[0][1], (Lines{sjis("使用"), "3.3 V Vcc"}));
  EXPECT_TRUE(view.entries[1][1].empty());
}

TEST(SelectorViewers, FunctionsJedecAndGeometry) {
  ViewerText mfc = buildViewerText(tuple(0x06, {2, 0, 0x00, 0x10, 0, 0, 1, 0x00, 0x20, 0x01}));
  ASSERT_EQ(mfc.entries.size(), 2u);
  EXPECT_EQ(mfc.entries[0][0], (Lines{sjis("ｱﾄﾘﾋﾞｭｰﾄ"), "0001000H"}));
  EXPECT_EQ(mfc.entries[1][0], (Lines{sjis("ｺﾓﾝ")}));  // address cut short

  ViewerText jedec = buildViewerText(tuple(0x18, {0x89, 0xA2, 0x01, 0xFF, 0x02, 0x03}));
  ASSERT_EQ(jedec.entries.size(), 1u);
  EXPECT_EQ(jedec.entries[0][0], (Lines{"89H", "A2H"}));

  // Bus 2 bytes, erase 64 KB, read and write 2 bytes, partition 1 erase block, interleave 1.
  ViewerText geometry = buildViewerText(tuple(0x1E, {2, 16, 1, 1, 1, 1}));
  ASSERT_EQ(geometry.entries.size(), 1u);
  EXPECT_EQ(geometry.entries[0][0], (Lines{"2 B", "64 KB", "2 B", "2 B", "64 KB", "1"}));
  ViewerText huge = buildViewerText(tuple(0x1E, {32, 32, 1, 1, 1, 1}));
  EXPECT_EQ(huge.entries[0][0][1], sjis("(無効)"));  // 2^31 * 2^31 does not fit
}

TEST(ColumnViewers, LinksChecksumsAndIdentifiers) {
  CisTupleRecord checksum = tuple(0x10, {0xFE, 0xFF, 0x10, 0x00, 0x5A});
  checksum.address = 0x100;
  EXPECT_EQ(buildViewerText(checksum).blocks[0].values, (Lines{"00000FCH", "000011CH", "5AH"}));
  EXPECT_EQ(buildViewerText(tuple(0x11, {0x00, 0x20, 0x00, 0x00})).blocks[0].values, (Lines{"0002000H"}));
  ViewerText target = buildViewerText(tuple(0x13, {'C', 'I', 0x00}));
  EXPECT_EQ(target.blocks[0].labels.size(), 3u);
  EXPECT_EQ(target.blocks[0].values, (Lines{"C (43H)", "I (49H)", ". (00H)"}));
  EXPECT_EQ(buildViewerText(tuple(0x20, {0x34, 0x12, 0x01})).blocks[0].values, (Lines{"1234H"}));
  EXPECT_EQ(buildViewerText(tuple(0x21, {0x04, 0x01})).blocks[0].values,
            (Lines{sjis("ﾃﾞｨｽｸ"), sjis("する"), sjis("なし")}));
  EXPECT_EQ(buildViewerText(tuple(0x42, {63, 16, 0x00, 0x04})).blocks[0].values, (Lines{"63", "16", "1024"}));
  EXPECT_EQ(buildViewerText(tuple(0x43, {1, 200})).blocks[0].values,
            (Lines{sjis("ﾋﾞｯｸﾞｴﾝﾃﾞｨｱﾝ"), sjis("ﾒｰｶ固有")}));
  // Date tuple: time in word 0, date in word 1, shown date first.
  EXPECT_EQ(buildViewerText(tuple(0x44, {0x1D, 0xBF, 0x84, 0x26})).blocks[0].values,
            (Lines{"99-04-04", "23:56:58"}));
  EXPECT_EQ(buildViewerText(tuple(0x45, {0x00, 0x00, 0x84, 0x26})).blocks[0].values,
            (Lines{sjis("(無効)"), "99-04-04"}));
  EXPECT_EQ(buildViewerText(tuple(0x46, {0x00, 'F', 'A', 'T', 0})).blocks[0].values,
            (Lines{sjis("ﾌｧｲﾙ ｼｽﾃﾑ"), "FAT"}));
  ViewerText level2 = buildViewerText(tuple(0x40, {1, 0, 0, 0, 0, 0, 1, 0, 1, 'O', 0, 'C', 0, 'X', 0}));
  EXPECT_EQ(level2.blocks[0].values, (Lines{"01H", "00H", "0000H", "0000H", "0001H", "01H", "O", "C"}));
}

TEST(StringViewers, VersionAndAlternateStrings) {
  ViewerText level1 = buildViewerText(tuple(0x15, {4, 1, 'M', 0, 'P', 0, 'a', 0, 'b', 0, 0xFF}));
  EXPECT_EQ(level1.layout, Layout::TwoColumn);
  EXPECT_EQ(level1.blocks[0].labels, (Lines{sjis("ﾊﾞｰｼﾞｮﾝ"), sjis("ﾏﾆｭﾌｧｸﾁｬ名"), sjis("ﾌﾟﾛﾀﾞｸﾄ名"),
                                            sjis("追加情報 1"), sjis("追加情報 2")}));
  EXPECT_EQ(level1.blocks[0].values, (Lines{"PCMCIA 2.0 / JEIDA 4.1", "M", "P", "a", "b"}));
  ViewerText alternate = buildViewerText(tuple(0x16, {0x1B, '$', 0, 'x', 0}));
  EXPECT_EQ(alternate.blocks[0].labels, (Lines{sjis("ｴｽｹｰﾌﾟ ｼｰｹﾝｽ"), sjis("置換文字列 1")}));
}

TEST(FormatViewer, GroupsByTypeAndLength) {
  // Exactly 10 bytes: only the first group, second labels disabled.
  ViewerText disk = buildViewerText(tuple(0x41, {0, 0x09, 0, 2, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(disk.dialogId, 4145);
  EXPECT_EQ(disk.blocks[0].values, (Lines{sjis("ﾃﾞｨｽｸ"), sjis("ﾁｪｯｸｻﾑ"), "1", "0000200H", "0010000H"}));
  ASSERT_EQ(disk.blocks.size(), 2u);
  EXPECT_FALSE(disk.blocks[1].labelEnabled);
  EXPECT_TRUE(disk.blocks[1].values.empty());
  ViewerText full =
      buildViewerText(tuple(0x41, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 8, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(full.blocks[1].labelEnabled);
  EXPECT_EQ(full.blocks[1].values, (Lines{"512 B", "2 K", "0000000H"}));
  ViewerText memory = buildViewerText(tuple(0x47, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(memory.dialogId, 4146);
  ASSERT_EQ(memory.blocks.size(), 3u);
  EXPECT_EQ(memory.blocks[1].values, (Lines{sjis("ｼｽﾃﾑﾒﾓﾘにﾏｯﾋﾟﾝｸﾞされます"), sjis("自動ﾏｯﾋﾟﾝｸﾞ")}));
  EXPECT_EQ(memory.blocks[2].labelId, 323);
  EXPECT_TRUE(memory.blocks[2].labelEnabled);
  EXPECT_EQ(memory.blocks[2].values, (Lines{"0010000H"}));

  // Every type but 1 is laid out as a disk: block size, block count and the
  // error-detection location under label 322, never flags and addresses.
  for (uint8_t type : {2, 3, 0x80, 0xFF}) {
    SCOPED_TRACE(int{type});
    ViewerText other =
        buildViewerText(tuple(0x41, {type, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 8, 0, 0, 0x10, 0, 0, 0}));
    EXPECT_EQ(other.dialogId, 4146);
    ASSERT_EQ(other.blocks.size(), 2u);
    EXPECT_EQ(other.blocks[1].labelId, 322);
    EXPECT_TRUE(other.blocks[1].labelEnabled);
    EXPECT_EQ(other.blocks[1].values, (Lines{"512 B", "2 K", "0000010H"}));
  }
}

}  // namespace
}  // namespace cis
