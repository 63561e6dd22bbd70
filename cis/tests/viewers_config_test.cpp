// Configuration and configuration-table entry viewers with their sub-item pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sjis.h"
#include "tuple_builder.h"
#include "viewer_text.h"

namespace cis {
namespace {

using test::sjis;
using test::tuple;
using Lines = std::vector<std::string>;

TEST(ConfigViewer, RegistersAndCustomInterfaceSubtuples) {
  // 2-byte address 0x0200, one mask byte with registers 0, 1 and 3; last index 0x23;
  // then a custom-interface subtuple with a 2-byte identifier and two strings.
  CisTupleRecord record = tuple(0x1A, {0x01, 0x23, 0x01, 0x02, 0x0B,  //
                                       0xC0, 0x07, 0x41, 0x41, 'a', 0, 'b', 'c', 0, 0xFF});
  ViewerText view = buildViewerText(record);
  EXPECT_EQ(view.blocks[0].values, (Lines{"23H"}));
  ASSERT_EQ(view.blocks.size(), 2u);
  EXPECT_TRUE(view.blocks[1].list);
  EXPECT_EQ(view.blocks[1].valueId, 306);
  EXPECT_EQ(view.blocks[1].values, (Lines{"0200H", "0202H", "0206H"}));  // base bit 0 cleared
  ASSERT_EQ(view.items.size(), 1u);
  EXPECT_EQ(view.items[0].text, sjis("C0H ｶｽﾀﾑ ｲﾝﾀﾌｪｰｽ"));
  EXPECT_EQ(view.items[0].page.dialogId, 4162);
  EXPECT_EQ(view.items[0].page.labels,
            (Lines{sjis("ｲﾝﾀﾌｪｰｽ ID 番号"), sjis("ｲﾝﾀﾌｪｰｽ記述文字列 1"), sjis("ｲﾝﾀﾌｪｰｽ記述文字列 2")}));
  EXPECT_EQ(view.items[0].page.values, (Lines{"4141H", "a", "bc"}));

  // A reserved area behind the mask: registers, but no subtuples.
  record.data[0] = 0x41;
  view = buildViewerText(record);
  EXPECT_EQ(view.blocks[1].values.size(), 3u);
  EXPECT_TRUE(view.items.empty());
}

TEST(ConfigEntryViewer, IndexInterfaceAndPowerPages) {
  // No interface byte: control 290 empty and its label disabled.
  ViewerText plain = buildViewerText(tuple(0x1B, {0x41, 0x00}));
  EXPECT_EQ(plain.blocks[0].values, (Lines{"01H", "On"}));
  EXPECT_FALSE(plain.blocks[1].labelEnabled);
  EXPECT_TRUE(plain.blocks[1].values.empty());
  EXPECT_TRUE(plain.items.empty());

  // Interface byte (I/O and memory, BVD and READY, M Wait), Vcc and Vpp1 = Vpp2.
  // Vcc: nominal 3.0 V with extension 30 and a 0x7D note, average current 10 mA.
  ViewerText view = buildViewerText(tuple(0x1B, {0xC1, 0xD1, 0x02,        //
                                                 0x11, 0xB5, 0x9E, 0x7D,  //
                                                 0x05, 0x01, 0x55}));
  EXPECT_TRUE(view.blocks[1].labelEnabled);
  EXPECT_EQ(view.blocks[1].values,
            (Lines{sjis("I/O およびﾒﾓﾘ"), sjis("有効"), sjis("無効"), sjis("有効"), sjis("必要")}));
  ASSERT_EQ(view.items.size(), 2u);
  EXPECT_EQ(view.items[0].text, sjis("電源条件情報(Vcc)"));
  EXPECT_EQ(view.items[1].text, sjis("電源条件情報(Vpp1 = Vpp2)"));
  EXPECT_EQ(view.items[0].page.dialogId, 4111);
  EXPECT_EQ(view.items[0].page.labels, (Lines{sjis("標準動作電源電圧"), "", sjis("平均電流の最大(1 S)")}));
  EXPECT_EQ(view.items[0].page.values,
            (Lines{"3.30 V", "  " + sjis("ｽﾘｰﾌﾟまたはﾊﾟﾜｰﾀﾞｳﾝ時、ﾉｰｺﾈｸｼｮﾝにすることが許される"), "10 mA"}));
  EXPECT_EQ(view.items[1].page.values, (Lines{"5.0 V"}));
}

TEST(ConfigEntryViewer, TimingIoInterruptMemoryAndMisc) {
  ViewerText view = buildViewerText(tuple(
      0x1B, {0x01, 0xFC,                    // index 1; timing, I/O, IRQ, memory type 3, misc
             0xFF,                          // timing: every scale absent
             0xC5, 0x60, 0x00, 0x03, 0x08,  // 5 address lines, 16-bit; one range 2-byte start, 1-byte length
             0x31, 0x20, 0x80,              // IRQ: level, mask with NMI; lines 5 and 15
             0xC8, 0x20, 0x10, 0x00, 0x00, 0x00,  // memory: 1 window, 1-byte length, 2-byte addresses, host 0
             0x8A, 0x90, 0x81, 0x05,              // misc: 2 cards, audio; 16-bit DMA; thermal 1.05
             0xC0, 0x0B, 'D',  'O',  'S',  ':',  '6', ';', 'x', 0, 'y', 0, 0xFF}));
  ASSERT_EQ(view.items.size(), 6u);
  EXPECT_EQ(view.items[0].text, sjis("ﾀｲﾐﾝｸﾞ情報"));
  EXPECT_TRUE(view.items[0].page.labels.empty());
  EXPECT_EQ(view.items[1].page.values, (Lines{"5", "0", "1", "0300H-0308H"}));
  EXPECT_EQ(view.items[1].page.labels.back(), sjis("ｱﾄﾞﾚｽ範囲 1"));
  EXPECT_EQ(view.items[2].page.values,
            (Lines{sjis("要求可能"), sjis("要求不可"), sjis("不可"), "NMI, 5, 15"}));
  EXPECT_EQ(view.items[3].page.values, (Lines{"00001000H-00002FFFH, 00000000H"}));
  EXPECT_EQ(view.items[4].page.values, (Lines{"2", "1", "0", "0", "", sjis("16 ﾋﾞｯﾄ"), "1.05"}));
  EXPECT_EQ(view.items[5].text, sjis("C0H 環境記述"));
  EXPECT_EQ(view.items[5].page.labels,
            (Lines{sjis("ｼｽﾃﾑ名"), sjis("OS 名"), sjis("ｺﾒﾝﾄ"), sjis("各国語文字列 1")}));
  EXPECT_EQ(view.items[5].page.values, (Lines{"DOS", "6", "x", "y"}));
}

TEST(ConfigEntryViewer, DataEndingInsideADescriptionKeepsWhatWasRead) {
  // I/O description announces a range byte that is missing; misc never parsed.
  ViewerText view = buildViewerText(tuple(0x1B, {0x01, 0x88, 0x85}));
  ASSERT_EQ(view.items.size(), 1u);
  EXPECT_EQ(view.items[0].page.values, (Lines{"5", "0", "0"}));
  // Memory type 1 with its single byte: the item is listed, its page empty.
  view = buildViewerText(tuple(0x1B, {0x01, 0x20, 0x10}));
  ASSERT_EQ(view.items.size(), 1u);
  EXPECT_TRUE(view.items[0].page.values.empty());
}

}  // namespace
}  // namespace cis
