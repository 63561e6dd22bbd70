// The card window's long commands driven through tessel.exe's own menus,
// keys and dialogs on virtual cards through the installed access service:
// what the files and the cards hold afterwards is read from outside.
#include <iterator>
#include <string>
#include <vector>

#include "dialog_ids.h"
#include "intel_hex_records.h"
#include "tessel_gui_fixture.h"

namespace tessel::test {
namespace {

constexpr uint32_t kCardSize = 0x20000;

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(address * 7 + (address >> 8) + 3); }

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void choose(HWND dialog, int id, int item) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageW(box, CB_SETCURSEL, item, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void check(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, BST_CHECKED, 0); }

class TesselCommandsGui : public TesselGui {
 protected:
  // Socket 1: SRAM whose bytes tell their address; socket 2: blank SRAM.
  void addReaders() override {
    std::vector<uint8_t> bytes(kCardSize);
    for (uint32_t i = 0; i < kCardSize; ++i) bytes[i] = pattern(i);
    addReader(0, virt::CardTemplate::Sram, withImage(imageFile("source.img", bytes)));
    addReader(1, virt::CardTemplate::Sram,
              withImage(imageFile("blank.img", std::vector<uint8_t>(kCardSize))));
  }
  virt::InsertOptions withImage(const std::filesystem::path& image) {
    virt::InsertOptions options;
    options.size = kCardSize;
    options.image = image;
    return options;
  }
  std::filesystem::path imageFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::filesystem::path path = files.path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::wstring wide(const std::filesystem::path& path) { return path.wstring(); }

  // Opens a card window on socket 1 and waits for its first page.
  HWND openCardWindow(TesselProcess& tessel) {
    EXPECT_TRUE(waitUntil([&] { return buttonEnabled(tessel, IDC_ToolButton1); }, kOnePoll));
    command(tessel, IDM_OpenO1);
    HWND dialog = tessel.waitForDialog();
    if (!dialog) return nullptr;
    press(dialog, IDC_OKBtn);
    if (!gone(dialog) || !waitUntil([&] { return tessel.cardWindows().size() == 1; }, 5000)) return nullptr;
    HWND card = tessel.cardWindows()[0];
    HWND addresses = GetDlgItem(card, IDC_AddrList);
    waitUntil([&] { return windowText(addresses).starts_with(L"00000000"); }, 5000);
    return card;
  }
  // The dialog of `caption` that a menu item of the card window opens.
  HWND dialogOf(TesselProcess& tessel, int id, const wchar_t* caption) {
    command(tessel, id);
    return tessel.waitForDialog(caption);
  }
  // Waits for what the command leaves behind, then for its end: the main
  // window is disabled while the progress window is up, and the next
  // command may be given only once it is enabled again.
  template <typename Outcome>
  bool endsWith(TesselProcess& tessel, Outcome outcome) {
    return waitUntil(outcome, 60000) &&
           waitUntil([&] { return IsWindowEnabled(tessel.frame()) != FALSE; }, 60000);
  }
  // The program's message box: its text, after OK.
  std::wstring answerMessage(TesselProcess& tessel, int ms = 60000) {
    HWND box = tessel.waitForDialog(L"tessel", ms);
    if (!box) return L"";
    std::wstring text = messageBoxText(box);
    press(box, IDOK);
    gone(box);
    return text;
  }

  zrb::test::ScratchDir files;
};

TEST_F(TesselCommandsGui, TransfersEraseFillAndCardCopyThroughTheirDialogs) {
  if (win98Path()) GTEST_SKIP() << "the commands' loops are the same on both paths; run through the service";
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  HWND card = openCardWindow(tessel);
  ASSERT_NE(card, nullptr);

  // Card to a binary file: exactly the range.
  const std::filesystem::path saved = files.path() / "part.bin";
  HWND dialog = dialogOf(tessel, IDM_ReadClick, L"リード");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_EAddrEdit)), L"0001FFFF");
  setText(dialog, IDC_SAddrEdit, L"100");
  setText(dialog, IDC_EAddrEdit, L"1FF");
  setText(dialog, IDC_SaveName, wide(saved).c_str());
  choose(dialog, IDC_FileTypeBox, 0);
  press(dialog, IDC_OKBtn);
  ASSERT_TRUE(endsWith(tessel, [&] { return std::filesystem::exists(saved); }));
  std::vector<uint8_t> expected;
  for (uint32_t i = 0x100; i < 0x200; ++i) expected.push_back(pattern(i));
  EXPECT_EQ(fileBytes(saved), expected);

  // An Intel HEX file to the card, compared afterwards.
  std::vector<uint8_t> data(0x20);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
  const std::filesystem::path hex = files.path() / "in.hex";
  std::ofstream(hex) << zrb::test::intelHexRecord(0x300, data, 0, 16)
                     << zrb::test::intelHexRecord(0x310, data, 16, 16) << zrb::test::kIntelHexEnd;
  dialog = dialogOf(tessel, IDM_WriteClick, L"ライト");
  ASSERT_NE(dialog, nullptr);
  setText(dialog, IDC_SAddrEdit, L"0");
  setText(dialog, IDC_EAddrEdit, L"1FFFF");
  setText(dialog, IDC_OffsetEdit, L"0");
  setText(dialog, IDC_ReadName, wide(hex).c_str());
  choose(dialog, IDC_FileTypeBox, 1);
  check(dialog, IDC_Option);
  press(dialog, IDC_OKBtn);
  EXPECT_EQ(answerMessage(tessel), L"相違はありませんでした");
  ASSERT_TRUE(endsWith(tessel, [] { return true; }));
  std::vector<uint8_t> written = cardBytes(reader(0), 0x400);
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + 0x300, written.begin() + 0x320), data);
  EXPECT_EQ(written[0x2FF], pattern(0x2FF));
  EXPECT_EQ(written[0x320], pattern(0x320));

  // Card copy of the whole area to the other card, then a card compare.
  dialog = dialogOf(tessel, IDM_CardCopyClick, L"カードコピー");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_DSocketBox), CB_GETCURSEL, 0, 0), 1);
  press(dialog, IDC_OKBtn);
  ASSERT_TRUE(
      endsWith(tessel, [&] { return cardBytes(reader(1), kCardSize) == cardBytes(reader(0), kCardSize); }));
  dialog = dialogOf(tessel, IDM_CardCompClick, L"カードコンペア");
  ASSERT_NE(dialog, nullptr);
  press(dialog, IDC_OKBtn);
  EXPECT_EQ(answerMessage(tessel), L"相違はありませんでした");
  ASSERT_TRUE(endsWith(tessel, [] { return true; }));

  // Erase of the first 64 KiB with the erase check: no finding to report.
  dialog = dialogOf(tessel, IDM_EraseClick, L"イレース");
  ASSERT_NE(dialog, nullptr);
  setText(dialog, IDC_OffsetEdit, L"0");
  setText(dialog, IDC_EOffsetEdit, L"FFFF");
  check(dialog, IDC_Option);
  press(dialog, IDC_OKBtn);
  // The page is shown again from the start once the check is over.
  HWND dump = GetDlgItem(card, IDC_DumpList);
  ASSERT_TRUE(endsWith(tessel, [&] { return firstLine(windowText(dump)).starts_with(L"FF FF"); }));
  EXPECT_EQ(tessel.waitForDialog(L"tessel", 1500), nullptr)
      << "the erase check found a byte that is not blank";
  std::vector<uint8_t> erased = cardBytes(reader(0), 0x10001);
  EXPECT_EQ(std::vector<uint8_t>(erased.begin(), erased.end() - 1), std::vector<uint8_t>(0x10000, 0xFF));
  EXPECT_EQ(erased.back(), pattern(0x10000));

  // Fill from its key, F6, on the hexadecimal list.
  PostMessageW(dump, WM_KEYDOWN, VK_F6, 0);
  dialog = tessel.waitForDialog(L"フィル");
  ASSERT_NE(dialog, nullptr);
  setText(dialog, IDC_SAddrEdit, L"0");
  setText(dialog, IDC_EAddrEdit, L"FF");
  setText(dialog, IDC_FillData, L"01 02 03");
  press(dialog, IDC_OKBtn);
  ASSERT_TRUE(endsWith(tessel, [&] { return firstLine(windowText(dump)).starts_with(L"01 02 03"); }));
  std::vector<uint8_t> filled = cardBytes(reader(0), 0x101);
  for (uint32_t i = 0; i < 0x100; ++i) ASSERT_EQ(filled[i], i % 3 + 1) << "at " << i;
  EXPECT_EQ(filled[0x100], 0xFF);
}

}  // namespace
}  // namespace tessel::test
