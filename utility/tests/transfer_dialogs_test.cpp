// The file transfer dialogs: what they remember in the registry and distrust
// there, what they show, and the OK checks in their order against the cards
// of the in-process stack.
#include "transfer_dialogs.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <variant>

#include "card_messages.h"
#include "dialog_test_cards.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

// The registry as a map of values of three kinds; keys can refuse to open.
class MapStore final : public SettingsStore {
 public:
  using Value = std::variant<std::vector<uint8_t>, std::string, uint32_t>;

  bool openKey(std::string_view key) override { return !refused.count(std::string(key)); }
  std::optional<std::vector<uint8_t>> readBinary(std::string_view key, std::string_view name) override {
    return read<std::vector<uint8_t>>(key, name);
  }
  bool writeBinary(std::string_view key, std::string_view name, std::span<const uint8_t> bytes) override {
    return write(key, name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  std::optional<std::string> readString(std::string_view key, std::string_view name) override {
    return read<std::string>(key, name);
  }
  bool writeString(std::string_view key, std::string_view name, std::string_view text) override {
    return write(key, name, std::string(text));
  }
  std::optional<uint32_t> readNumber(std::string_view key, std::string_view name) override {
    return read<uint32_t>(key, name);
  }
  bool writeNumber(std::string_view key, std::string_view name, uint32_t value) override {
    return write(key, name, value);
  }

  void put(std::string_view key, std::string_view name, Value value) {
    values[path(key, name)] = std::move(value);
  }
  const Value* find(std::string_view key, std::string_view name) const {
    auto it = values.find(path(key, name));
    return it == values.end() ? nullptr : &it->second;
  }

  std::map<std::string, Value> values;
  std::set<std::string> refused;

 private:
  static std::string path(std::string_view key, std::string_view name) {
    return std::string(key) + "\\" + std::string(name);
  }
  template <typename Kind>
  std::optional<Kind> read(std::string_view key, std::string_view name) {
    const Value* value = find(key, name);
    if (value == nullptr || !std::holds_alternative<Kind>(*value)) return std::nullopt;
    return std::get<Kind>(*value);
  }
  bool write(std::string_view key, std::string_view name, Value value) {
    if (refused.count(std::string(key))) return false;
    put(key, name, std::move(value));
    return true;
  }
};

class FakeFiles final : public FileProbe, public FilePicker {
 public:
  bool exists(std::string_view name) override { return existing.count(std::string(name)) != 0; }
  std::optional<std::string> pick(Purpose purpose, std::string_view current) override {
    asked.emplace_back(purpose, std::string(current));
    return chosen;
  }

  std::set<std::string> existing;
  std::vector<std::pair<Purpose, std::string>> asked;
  std::optional<std::string> chosen;
};

std::vector<uint8_t> le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

const std::string kBadNumber = cardErrorMessage(R_BAD_NUMBER);
const std::string kWriteKey(transferSettingsKey(TransferKind::Write));

class TransferDialogTest : public test::DialogTestCards {
 protected:
  // A dialog on the 64 KiB card in socket 2 (index 1), its active area.
  TransferDialogModel make(TransferKind kind) {
    access.activeArea() = ActiveArea{1, 0, 0};
    TransferDialogModel dialog(kind, access, files);
    dialog.socket = 1;
    return dialog;
  }
  // Types the texts and presses OK.
  DialogStep ok(TransferDialogModel& dialog, std::string start, std::string end, std::string offset = "0",
                std::string name = "image.bin") {
    dialog.activate();
    dialog.setFileNameText(std::move(name));
    dialog.setStartText(std::move(start));
    dialog.setEndText(std::move(end));
    dialog.setOffsetText(std::move(offset));
    return dialog.okBtnClick();
  }

  MapStore store;
  FakeFiles files;
};

TEST_F(TransferDialogTest, FirstRunShowsTheDefaultsAndSavingWritesEveryValueForTheNextRun) {
  TransferDialogModel write = make(TransferKind::Write);
  write.load(store);
  write.activate();
  EXPECT_EQ(write.startText(), "00000000");
  EXPECT_EQ(write.endText(), "FFFFFFFF");
  EXPECT_EQ(write.offsetText(), "00000000");
  ASSERT_EQ(write.fileTypeBox().count(), 6);
  EXPECT_EQ(write.fileTypeBox().items[write.fileTypeBox().selected], "自動");
  EXPECT_EQ(write.focus(), TransferFocus::FileName);

  write.setFileNameText("image.bin");
  write.setStartText("100");
  write.setEndText("1FF");
  write.setOffsetText("-10");
  write.fileTypeBoxChange(2);
  write.setCompareOption(true);
  ASSERT_EQ(write.okBtnClick(), DialogStep::CloseOk);
  write.save(store);

  EXPECT_EQ(std::get<std::string>(*store.find(kWriteKey, "FileName")), "image.bin");
  EXPECT_EQ(std::get<std::vector<uint8_t>>(*store.find(kWriteKey, "StartAddr")), le32(0x100));
  EXPECT_EQ(std::get<std::vector<uint8_t>>(*store.find(kWriteKey, "Offset")), le32(0xFFFFFFF0));
  EXPECT_EQ(std::get<std::vector<uint8_t>>(*store.find(kWriteKey, "FileType")), std::vector<uint8_t>{2});
  EXPECT_EQ(std::get<uint32_t>(*store.find(kWriteKey, "Option")), 1u);

  TransferDialogModel again = make(TransferKind::Write);
  again.load(store);
  again.activate();
  EXPECT_EQ(again.startText(), "00000100");
  EXPECT_EQ(again.endText(), "000001FF");
  EXPECT_EQ(again.offsetText(), "-00000010");
  EXPECT_EQ(again.fileTypeBox().selected, 2);
  EXPECT_TRUE(again.compareOption());
  EXPECT_EQ(again.focus(), TransferFocus::OkButton);

  // The read dialog keeps its own key and has neither offset nor option.
  TransferDialogModel read = make(TransferKind::Read);
  read.save(store);
  const std::string readKey(transferSettingsKey(TransferKind::Read));
  EXPECT_NE(store.find(readKey, "StartAddr"), nullptr);
  EXPECT_EQ(store.find(readKey, "Offset"), nullptr);
  EXPECT_EQ(store.find(readKey, "Option"), nullptr);
}

TEST_F(TransferDialogTest, StoredValuesOfTheWrongKindSizeOrRangeKeepTheirDefaults) {
  const TransferValues defaults;
  auto loaded = [&] {
    TransferDialogModel dialog = make(TransferKind::Write);
    dialog.load(store);
    return dialog.values();
  };

  // A damaged "StartAddr" makes the numbers untrusted together.
  store.put(kWriteKey, "StartAddr", std::vector<uint8_t>{1, 2});
  store.put(kWriteKey, "EndAddr", le32(0x1FF));
  store.put(kWriteKey, "FileType", std::vector<uint8_t>{1});
  EXPECT_EQ(loaded().end, defaults.end);
  EXPECT_EQ(loaded().fileType, defaults.fileType);

  store.put(kWriteKey, "StartAddr", le32(0x10));
  store.put(kWriteKey, "EndAddr", std::string("1FF"));
  store.put(kWriteKey, "Offset", std::vector<uint8_t>{1, 2, 3, 4, 5});
  store.put(kWriteKey, "FileType", std::vector<uint8_t>{6});
  store.put(kWriteKey, "Option", le32(1));  // binary, not a number
  store.put(kWriteKey, "FileName", le32(0x41414141));
  TransferValues values = loaded();
  EXPECT_EQ(values.start, 0x10u);
  EXPECT_EQ(values.end, defaults.end);
  EXPECT_EQ(values.offset, defaults.offset);
  EXPECT_EQ(values.fileType, defaults.fileType);
  EXPECT_FALSE(values.compareAfterWrite);
  EXPECT_EQ(values.fileName, "");

  store.put(kWriteKey, "FileType", std::vector<uint8_t>{0, 0});
  EXPECT_EQ(loaded().fileType, defaults.fileType);
  store.put(kWriteKey, "FileType", std::vector<uint8_t>{0});
  EXPECT_EQ(loaded().fileType, 0);

  store.put(kWriteKey, "FileName", std::string(260, 'a'));
  EXPECT_EQ(loaded().fileName, "");
  store.put(kWriteKey, "FileName", std::string(259, 'a'));
  EXPECT_EQ(loaded().fileName.size(), 259u);
}

TEST_F(TransferDialogTest, AKeyThatDoesNotOpenIsReportedAndNeitherReadNorWritten) {
  const std::string key(transferSettingsKey(TransferKind::Compare));
  store.put(key, "StartAddr", le32(0x20));
  store.refused.insert(key);
  TransferDialogModel dialog = make(TransferKind::Compare);
  dialog.load(store);
  EXPECT_EQ(dialog.values().start, 0u);
  dialog.save(store);
  EXPECT_EQ(store.find(key, "EndAddr"), nullptr);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"REGISTRY Error", "REGISTRY Error"}));
}

TEST_F(TransferDialogTest, ActivationNamesTheAreaAndShowsNegativeOffsetsByMagnitude) {
  TransferDialogModel dialog = make(TransferKind::Compare);
  dialog.socket = 2;
  dialog.space = 1;
  dialog.values().offset = INT32_MIN;
  dialog.activate();
  EXPECT_EQ(dialog.socketName(), "Socket3");
  EXPECT_EQ(dialog.attributeName(), "Attribute");
  EXPECT_EQ(dialog.regionName(), "Region1");
  EXPECT_EQ(dialog.offsetText(), "-80000000");
  EXPECT_LE(dialog.offsetText().size(), TransferDialogModel::kOffsetLength);
  dialog.space = 0;
  dialog.region = 1;
  dialog.values().offset = 0x7FFFFFFF;
  dialog.activate();
  EXPECT_EQ(dialog.attributeName(), "Common");
  EXPECT_EQ(dialog.regionName(), "Region2");
  EXPECT_EQ(dialog.offsetText(), "7FFFFFFF");
}

TEST_F(TransferDialogTest, RememberedAddressesAreFittedIntoTheArea) {
  struct Case {
    uint32_t start, end, size, fittedStart, fittedEnd;
  } cases[] = {
      {0, 0xFFFFFFFF, 0x10000, 0, 0xFFFF},     // first run
      {0x20000, 0x30000, 0x10000, 0, 0xFFFF},  // both beyond a smaller card
      {0x100, 0x80, 0x10000, 0x100, 0xFFFF},   // end below start
      {0x100, 0x1FF, 0x10000, 0x100, 0x1FF},   // already inside
  };
  for (const Case& c : cases) {
    TransferDialogModel dialog = make(TransferKind::Read);
    dialog.values().start = c.start;
    dialog.values().end = c.end;
    dialog.fitToArea(c.size);
    EXPECT_EQ(dialog.values().start, c.fittedStart) << c.start;
    EXPECT_EQ(dialog.values().end, c.fittedEnd) << c.start;
  }
}

TEST_F(TransferDialogTest, NumbersAreCheckedInOrderAndKeptAsSoonAsTheyConvert) {
  TransferDialogModel dialog = make(TransferKind::Write);
  EXPECT_EQ(ok(dialog, "0", "FFFF", "0", ""), DialogStep::StayOpen);  // no name: silently nothing
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_EQ(ok(dialog, "10", ""), DialogStep::StayOpen);  // an empty end is no default
  EXPECT_EQ(messages.shown, std::vector<std::string>{kBadNumber});
  EXPECT_EQ(dialog.values().start, 0x10u);
  // Shown without a name, the dialog started on the file name; a bad number
  // does not send the user back there.
  EXPECT_EQ(dialog.focus(), TransferFocus::OkButton);

  struct Case {
    const char* offset;
    bool accepted;
    int32_t value;
  } offsets[] = {{"-10", true, -16}, {"10", true, 16}, {"1G", false, 0}, {"--10", false, 0}};
  for (const Case& c : offsets) {
    messages.shown.clear();
    dialog.values().offset = 0;
    EXPECT_EQ(ok(dialog, "0", "FFFF", c.offset), c.accepted ? DialogStep::CloseOk : DialogStep::StayOpen)
        << c.offset;
    EXPECT_EQ(dialog.values().offset, c.value) << c.offset;
    EXPECT_EQ(messages.shown.empty(), c.accepted) << c.offset;
  }

  const uint32_t size = access.areaSize(1, 0, 0);
  ASSERT_EQ(size, 0x10000u);
  messages.shown.clear();
  EXPECT_EQ(ok(dialog, "0", "10000"), DialogStep::StayOpen);
  EXPECT_EQ(ok(dialog, "200", "1FF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{kBadNumber, kBadNumber}));
  // The refused range is still what the next showing starts from; the name is not.
  EXPECT_EQ(dialog.values().start, 0x200u);
  EXPECT_EQ(dialog.values().end, 0x1FFu);
  dialog.values().fileName = "kept.bin";
  EXPECT_EQ(ok(dialog, "1", "1", "0", "other.bin"), DialogStep::CloseOk);
  EXPECT_EQ(dialog.values().fileName, "other.bin");
  EXPECT_EQ(ok(dialog, "0", "ffff"), DialogStep::CloseOk);
  EXPECT_EQ(dialog.length(), size);
}

TEST_F(TransferDialogTest, AttributeMemoryIsCheckedAgainstItsOwnSize) {
  const uint32_t attribute = access.areaSize(1, 1, 0);
  ASSERT_GT(attribute, 0u);
  ASSERT_LT(attribute, access.areaSize(1, 0, 0));
  TransferDialogModel dialog = make(TransferKind::Read);
  dialog.space = 1;
  access.activeArea() = ActiveArea{1, 0, 1};
  char last[16], beyond[16];
  std::snprintf(last, sizeof last, "%X", attribute - 1);
  std::snprintf(beyond, sizeof beyond, "%X", attribute);

  EXPECT_EQ(ok(dialog, "0", beyond), DialogStep::StayOpen);
  EXPECT_EQ(ok(dialog, "0", "FFFFFFFF"), DialogStep::StayOpen);  // the whole range would wrap the length to 0
  EXPECT_EQ(messages.shown, (std::vector<std::string>{kBadNumber, kBadNumber}));
  EXPECT_EQ(ok(dialog, "0", last), DialogStep::CloseOk);
  EXPECT_EQ(dialog.length(), attribute);
}

TEST_F(TransferDialogTest, AFileNameTooLongForTheImageFileIsRefusedClearly) {
  TransferDialogModel dialog = make(TransferKind::Compare);
  EXPECT_EQ(ok(dialog, "0", "FF", "0", std::string(260, 'a')), DialogStep::StayOpen);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0], kBadNumber);
  EXPECT_EQ(dialog.focus(), TransferFocus::FileName);
  EXPECT_EQ(dialog.values().fileName, "");

  // Characters count, not the bytes of their encoding.
  std::string japanese;
  for (int i = 0; i < 259; ++i) japanese += "あ";
  EXPECT_EQ(ok(dialog, "0", "FF", "0", japanese), DialogStep::CloseOk);
  EXPECT_EQ(ok(dialog, "0", "FF", "0", std::string(259, 'a')), DialogStep::CloseOk);
}

TEST_F(TransferDialogTest, ReadingOverAnExistingFileAsksFirst) {
  files.existing.insert("image.bin");
  TransferDialogModel read = make(TransferKind::Read);
  messages.answerYes = false;
  EXPECT_EQ(ok(read, "0", "FF"), DialogStep::StayOpen);
  EXPECT_EQ(messages.shown, std::vector<std::string>{"ファイルがすでにあります\r上書きしますか？"});
  EXPECT_EQ(read.focus(), TransferFocus::FileName);
  EXPECT_EQ(read.values().fileName, "");

  messages.answerYes = true;
  EXPECT_EQ(ok(read, "0", "FF"), DialogStep::CloseOk);
  EXPECT_EQ(read.values().fileName, "image.bin");

  // Writing and comparing read the file: nothing to ask.
  messages.shown.clear();
  TransferDialogModel write = make(TransferKind::Write);
  EXPECT_EQ(ok(write, "0", "FF"), DialogStep::CloseOk);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TransferDialogTest, BrowsingSavesForReadOpensOtherwiseAndKeepsTheNameOnCancel) {
  TransferDialogModel read = make(TransferKind::Read);
  read.activate();
  read.setFileNameText("old.hex");
  files.chosen = "new.hex";
  read.browse(files);
  EXPECT_EQ(read.fileNameText(), "new.hex");

  TransferDialogModel compare = make(TransferKind::Compare);
  compare.activate();
  compare.setFileNameText("old.hex");
  files.chosen.reset();
  compare.browse(files);
  EXPECT_EQ(compare.fileNameText(), "old.hex");

  using Purpose = FilePicker::Purpose;
  EXPECT_EQ(files.asked, (std::vector<std::pair<Purpose, std::string>>{{Purpose::Save, "old.hex"},
                                                                       {Purpose::Open, "old.hex"}}));
}

}  // namespace
}  // namespace tessel
