// The texts the user reads: result codes turned into messages, the few fixed
// texts, and the device-type tables the dialogs list from.
#include <gtest/gtest.h>

#include <string>

#include "card_messages.h"
#include "device_tables.h"
#include "recording_messages.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

struct CodeMessage {
  uint16_t code;
  const char* message;
};

TEST(CardErrorMessage, ShowsTheCodeInUpperCaseHexWithItsOwnTextOrErrorCode) {
  const CodeMessage rows[] = {
      {7, "07 : オフセットが無効です"},
      {26, "1A : ライトプロテクトされています"},
      {29, "1D : カードが他のプログラムで使用されています"},
      {259, "103 : デバイスがありません"},  // shares its text with 13
      {13, "0D : デバイスがありません"},
      {264, "108 : 処理を中止します"},
      {268, "10C : このカードはイレースできません"},
      {271, "10F : カードが抜去されました\n\n変更内容が失われた可能性があります"},
      // Codes without a row of their own, among them an unbound entry's 21.
      {21, "15 : Error Code"},
      {265, "109 : Error Code"},
      {269, "10D : Error Code"},
      // Codes whose text id would wrap past 0xFFFF onto the fixed texts.
      {64536, "FC18 : Error Code"},
      {64537, "FC19 : Error Code"},
      {0xFFFF, "FFFF : Error Code"},
  };
  for (const CodeMessage& row : rows) EXPECT_EQ(cardErrorMessage(row.code), row.message) << row.code;
}

TEST(CardErrorMessage, SuccessAndAnAlreadyReportedFailureShowNothing) {
  test::RecordingMessages messages;
  showCardError(R_SUCCESS, messages);
  showCardError(R_SILENT, messages);
  EXPECT_TRUE(messages.shown.empty());
  showCardError(R_CARD_REMOVED, messages);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "10E : カードが抜去されました");
}

TEST(Texts, FixedTextsAndFileTypesAreTheProgramsOwn) {
  EXPECT_EQ(text(sid::kAppTitle), "tessel");
  EXPECT_EQ(text(sid::kNoCardManager), "システムエラー01：カードマネージャをロードできません");
  EXPECT_EQ(text(sid::kRegistryError), "REGISTRY Error");
  EXPECT_EQ(text(sid::kCategory0 + 1), "SCSI");
  EXPECT_EQ(text(sid::kCategory0 + 15), "Reserved15");
  EXPECT_EQ(text(9999), "");

  const char* fileTypes[] = {"バイナリ",      "インテルHEX",   "モトローラS19",
                             "モトローラS28", "モトローラS37", "自動"};
  for (unsigned i = 0; i < kFileTypeCount; ++i) EXPECT_EQ(fileTypeName(i), fileTypes[i]) << i;
  EXPECT_EQ(fileTypeName(kFileTypeCount), "");
}

TEST(DeviceTables, ListOrderIndexesAndCodesOutsideTheList) {
  const uint16_t order[] = {0, 1, 2, 66, 3, 4, 68, 5, 69, 6, 9, 10, 7, 8};
  ASSERT_EQ(deviceTypeList().size(), kDeviceTypeCount);
  for (unsigned i = 0; i < kDeviceTypeCount; ++i) {
    EXPECT_EQ(deviceTypeList()[i].code, order[i]);
    EXPECT_EQ(deviceTypeIndex(order[i]), i);
  }
  EXPECT_EQ(deviceTypeName(69), "29F040~");
  EXPECT_EQ(deviceTypeName(kTypeUnknown), "UNKNOWN");

  // The manager can report codes the list lacks: no index, a name that is
  // not some listed type's, and the table defaults for the rest.
  for (uint16_t code : {131, 134, 197, 11}) {
    EXPECT_EQ(deviceTypeIndex(code), kDeviceTypeCount) << code;
    EXPECT_EQ(deviceTypeName(code), "Type " + std::to_string(code));
  }
  EXPECT_EQ(deviceEraseUnit(131), 0x10000u);
  EXPECT_EQ(deviceChipId(131), 0xA289);
  EXPECT_EQ(deviceChipId(11), 0);
}

}  // namespace
}  // namespace tessel
