// Lookup, code-name and flag decoders: ranges, fallbacks, limits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decode.h"
#include "decoders.h"
#include "sjis.h"
#include "text.h"

namespace cis {
namespace {

using test::sjis;

template <typename Decoder>
std::string call(Decoder decoder, unsigned value) {
  char buffer[256];
  std::memset(buffer, 'X', sizeof buffer);
  char* result = decoder(buffer, value);
  EXPECT_EQ(result, buffer);
  return buffer;
}

TEST(LookupDecoders, RangesAndFallbacks) {
  EXPECT_EQ(call(CisDSpeedItoS, 0), sjis("ﾃﾞﾊﾞｲｽなし"));
  EXPECT_EQ(call(CisDSpeedItoS, 3), "150 nS");
  EXPECT_EQ(call(CisDSpeedItoS, 5), sjis("(予約)"));
  EXPECT_EQ(call(CisDSpeedItoS, 7), sjis("拡張ﾃﾞﾊﾞｲｽ速度"));
  EXPECT_EQ(call(CisDSpeedItoS, 8), sjis("(無効)"));
  EXPECT_EQ(call(CisDTypeItoS, 0), sjis("ﾃﾞﾊﾞｲｽなし"));
  EXPECT_EQ(call(CisDTypeItoS, 6), "SRAM");
  EXPECT_EQ(call(CisDTypeItoS, 12), sjis("(予約)"));
  EXPECT_EQ(call(CisDTypeItoS, 13), "I/O(FUNCSPEC)");
  EXPECT_EQ(call(CisDTypeItoS, 14), sjis("(拡張ﾃﾞﾊﾞｲｽ)"));
  EXPECT_EQ(call(CisDTypeItoS, 15), sjis("(予約)"));
  EXPECT_EQ(call(CisDTypeItoS, 16), sjis("(無効)"));
  EXPECT_EQ(call(CisXDTypeItoS, 0x42), sjis("(予約)"));
  EXPECT_EQ(call(CisFidFunctionItoS, 10), sjis("計器"));
  EXPECT_EQ(call(CisFidFunctionItoS, 253), sjis("(予約)"));
  EXPECT_EQ(call(CisFidFunctionItoS, 254), sjis("ﾒｰｶ固有"));
  EXPECT_EQ(call(CisFidFunctionItoS, 255), sjis("無効"));
  EXPECT_EQ(call(CisFidFunctionItoS, 256), sjis("(無効)"));
  EXPECT_EQ(call(CisByteOrderItoS, 1), sjis("ﾋﾞｯｸﾞｴﾝﾃﾞｨｱﾝ"));
  EXPECT_EQ(call(CisByteOrderItoS, 127), sjis("(予約)"));
  EXPECT_EQ(call(CisByteMapItoS, 128), sjis("ﾒｰｶ固有"));
  EXPECT_EQ(call(CisOrgTypeItoS, 256), sjis("(無効)"));
  EXPECT_EQ(call(CisFmtTypeItoS, 0), sjis("ﾃﾞｨｽｸ"));
  EXPECT_EQ(call(CisFmtEdcTypeItoS, 0), sjis("なし"));
  EXPECT_EQ(call(CisFmtEdcTypeItoS, 15), sjis("ﾒｰｶ固有"));
  EXPECT_EQ(call(CisFmtEdcTypeItoS, 16), sjis("(無効)"));
  EXPECT_EQ(call(CisCeIfTypeItoS, 1), sjis("I/O およびﾒﾓﾘ"));
  EXPECT_EQ(call(CisCeIfTypeItoS, 7), sjis("専用ｲﾝﾀﾌｪｰｽ 3"));
  EXPECT_EQ(call(CisCeIfTypeItoS, 8), sjis("(予約)"));
  EXPECT_EQ(call(CisCeIrMaskItoS, 3), sjis("ﾒｰｶ固有"));
  EXPECT_EQ(call(CisCeIrMaskItoS, 8), sjis("(無効)"));
  EXPECT_EQ(call(CisCeMiDmaSignalItoS, 2), "");
  EXPECT_EQ(call(CisCeMiDmaSignalItoS, 5), sjis("(無効)"));
  EXPECT_EQ(call(CisFeDiskTypeItoS, 0), sjis("(無効)"));
  EXPECT_EQ(call(CisFeDiskTypeItoS, 3), sjis("基本 PC ｶｰﾄﾞ ATA ｲﾝﾀﾌｪｰｽ(付加ﾄﾞﾗｲﾌﾞ)"));
  EXPECT_EQ(call(CisFeDiskDdiTypeItoS, 2), sjis("(無効)"));
  EXPECT_EQ(call(CisFeDiskAtaVppItoS, 0), sjis("不要"));
  EXPECT_EQ(call(CisFeDiskAtaVppItoS, 4), sjis("(無効)"));
}

TEST(LookupDecoders, SerialAndModemFields) {
  // Only the low four bits of the extension type count.
  EXPECT_EQ(call(CisFeSpTypeIdItoS, 0x32), sjis("ﾃﾞｰﾀ ﾓﾃﾞﾑ ｻｰﾋﾞｽ"));
  EXPECT_EQ(call(CisFeSpTypeIdItoS, 0x0E), sjis("(予約)"));
  EXPECT_EQ(call(CisFeSpUaItoS, 5), "85230 ESCC");
  EXPECT_EQ(call(CisFeSpUaItoS, 31), sjis("(予約)"));
  EXPECT_EQ(call(CisFeSpUaItoS, 32), sjis("(無効)"));
  EXPECT_EQ(call(CisFeSpUcItoS, 13), sjis("1.5 ｽﾄｯﾌﾟ ﾋﾞｯﾄ"));
  EXPECT_EQ(call(CisFeSpUcItoS, 5), sjis("(予約)"));
  EXPECT_EQ(call(CisFeSpFcItoS, 6), "");
  EXPECT_EQ(call(CisFeSpFcItoS, 8), sjis("(無効)"));
  EXPECT_EQ(call(CisFeSpMsItoS, 12), "V.34");
  EXPECT_EQ(call(CisFeSpMsItoS, 16), sjis("(無効)"));
  EXPECT_EQ(call(CisFeSpExItoS, 1), sjis("\"+++\" ｺｰﾄﾞ"));
  EXPECT_EQ(call(CisFeSpDyItoS, 0), sjis("(予約)"));
  EXPECT_EQ(call(CisFeSpFyItoS, 8), sjis("(無効)"));
  EXPECT_EQ(call(CisFeSpFmItoS, 2), "V.29");
  EXPECT_EQ(call(CisFeSpEfIsdnItoS, 2), sjis("G IV ﾌｧｸｼﾐﾘ ｻｰﾋﾞｽ"));
  EXPECT_EQ(call(CisFeSpDtItoS, 3), sjis("(予約)"));
}

TEST(LookupDecoders, LengthLimitNeverSplitsDoubleByteCharacters) {
  // Mixed half-width (one byte) and kanji (two bytes): cuts fall before a kanji, never inside.
  std::string full = sjis("ﾒｰｶ固有ﾒｰｶ固有");
  EXPECT_EQ(fittingLength(full, 4), 3u);
  EXPECT_EQ(fittingLength(full, 5), 5u);
  EXPECT_EQ(fittingLength(full, 9), 9u);
  EXPECT_EQ(fittingLength(full, 11), 10u);
  EXPECT_EQ(fittingLength(full, 100), full.size());
  char buffer[8];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(std::string(putText(buffer, 4, full)), full.substr(0, 3));
  EXPECT_EQ(buffer[4], 'X');  // nothing written past the terminator
  // Every text the string table holds fits its decoder's limit whole.
  for (int value = 0; value < 16; ++value)
    EXPECT_EQ(call(CisFeSpTypeIdItoS, value), lookupText(Lookup::FeSpTypeId, value));
}

TEST(CodeNames, TupleNamesOverTheWholeRange) {
  for (unsigned code = 0; code <= 0xFF; ++code) {
    std::string name = call(CisTupleItoS, code);
    char prefix[4];
    std::snprintf(prefix, sizeof prefix, "%02X", code);
    // Every name starts with its code in hexadecimal and "H ".
    EXPECT_EQ(name.substr(0, 4), std::string(prefix) + "H ") << code;
    if (!hasText(static_cast<uint16_t>(21000 + code))) {
      EXPECT_EQ(name, std::string(prefix) + "H " + sjis("(予約)")) << code;
    }
  }
  EXPECT_EQ(call(CisTupleItoS, 0x09), "09H " + sjis("(予約)"));
  EXPECT_EQ(call(CisTupleItoS, 0x100), sjis("(無効)"));
  EXPECT_EQ(call(CisTupleItoS, 0x8A), sjis("8AH ﾒｰｶ個別情報"));
  EXPECT_EQ(call(CisTupleItoS, 0xFF), sjis("FFH ﾀﾌﾟﾙ連鎖終了"));
}

TEST(CodeNames, SubtuplesAndVersions) {
  EXPECT_EQ(call(CisStCeItoS, 0xC1), sjis("C1H 物理デバイス名"));
  EXPECT_EQ(call(CisStCeItoS, 0xC2), "C2H " + sjis("(予約)"));
  EXPECT_EQ(call(CisCcStItoS, 0xC0), sjis("C0H ｶｽﾀﾑ ｲﾝﾀﾌｪｰｽ"));
  EXPECT_EQ(call(CisCcStItoS, 0xC1), "C1H " + sjis("(予約)"));
  EXPECT_EQ(call(CisCcStItoS, 0xFF), call(CisStCeItoS, 0xFF));
  char buffer[80];
  EXPECT_STREQ(CisLv1VersItoS(buffer, 4, 1), "PCMCIA 2.0 / JEIDA 4.1");
  EXPECT_STREQ(CisLv1VersItoS(buffer, 5, 0), "PC Card Standard 95");
  EXPECT_EQ(std::string(CisLv1VersItoS(buffer, 5, 1)), sjis("(無効)"));
  EXPECT_EQ(std::string(CisLv1VersItoS(buffer, 4, 3)), sjis("(無効)"));
}

std::string flag(char* (*decoder)(char*, unsigned, unsigned), unsigned flags, unsigned bit) {
  char buffer[256];
  return decoder(buffer, flags, bit);
}

TEST(FlagDecoders, TwoStateTextsAndReservedBits) {
  EXPECT_EQ(flag(CisFidSysInitFtoS, 1, 0), sjis("する"));
  EXPECT_EQ(flag(CisFidSysInitFtoS, 1, 1), sjis("なし"));
  EXPECT_EQ(flag(CisFidSysInitFtoS, 0xFF, 2), sjis("(予約)"));
  EXPECT_EQ(flag(CisFidSysInitFtoS, 0xFF, 8), sjis("(無効)"));
  EXPECT_EQ(flag(CisFmtFlagFtoS, 2, 1), sjis("自動ﾏｯﾋﾟﾝｸﾞ"));
  EXPECT_EQ(flag(CisFmtFlagFtoS, 2, 0), sjis("ｼｽﾃﾑﾒﾓﾘにﾏｯﾋﾟﾝｸﾞされません"));
  // Request lines 0-3 count only while the mask bit 4 is set.
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x01, 0), sjis("使用不可"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x11, 0), sjis("使用可能"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x18, 3), sjis("使用可能"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x10, 4), sjis("ｵﾝ"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x40, 6), sjis("要求可能"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0x00, 7), sjis("不可"));
  EXPECT_EQ(flag(CisCeIrMaskFtoS, 0xFF, 8), sjis("(無効)"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0x04, 2), sjis("ｼﾘｺﾝ ﾃﾞﾊﾞｲｽ"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0x0000, 9), sjis("ｻﾎﾟｰﾄ"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0x4000, 14), sjis("ﾃﾞｰﾀ ﾚｼﾞｽﾀのためだけに使用"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0x8000, 15), sjis("(予約)"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0x0000, 6), sjis("(予約)"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0xFFFF, 1), sjis("(無効)"));
  EXPECT_EQ(flag(CisFeDiskAtaFlagFtoS, 0xFFFF, 16), sjis("(無効)"));
  EXPECT_EQ(flag(CisFeSpUcFtoS, 0x0100, 8), sjis("5 ﾋﾞｯﾄ文字"));
  EXPECT_EQ(flag(CisFeSpUcFtoS, 0x0000, 8), "");
  EXPECT_EQ(flag(CisFeSpFcFtoS, 0x04, 2), sjis("DTE to DCE 送信ﾌﾛｰ制御(CTS)"));
  EXPECT_EQ(flag(CisFeSpFcFtoS, 0xFF, 5), sjis("(予約)"));
  char buffer[32];
  EXPECT_EQ(std::string(CisCeMiDmaWidthFtoS(buffer, 2)), sjis("16 ﾋﾞｯﾄ"));
  EXPECT_EQ(std::string(CisCeMiDmaWidthFtoS(buffer, 0)), sjis("8 ﾋﾞｯﾄ"));
}

}  // namespace
}  // namespace cis
