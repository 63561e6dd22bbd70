// The card window's long commands driven through tessel.exe's own menus,
// keys and dialogs on virtual cards through the installed access service:
// what the files and the cards hold afterwards is read from outside.
#include <cstring>
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

// The clipboard's text as another program sees it.
std::wstring clipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = wide;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void setClipboardText(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// Puts the caret of a list at `position` (or selects [position, end)) as a click there would.
void placeInList(HWND list, unsigned position, unsigned end) {
  SendMessageW(list, EM_SETSEL, position, end);
  PostMessageW(list, WM_LBUTTONUP, 0, 0);
}

// The position of byte `index` of the page in the hexadecimal list.
unsigned dumpPosition(unsigned index) { return 3 * index + index / 16; }

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

TEST_F(TesselCommandsGui, SearchRepeatCopyAndPasteThroughTheClipboard) {
  if (win98Path()) GTEST_SKIP() << "the commands are the same on both paths; run through the service";
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  HWND card = openCardWindow(tessel);
  ASSERT_NE(card, nullptr);
  HWND addresses = GetDlgItem(card, IDC_AddrList), dump = GetDlgItem(card, IDC_DumpList),
       chars = GetDlgItem(card, IDC_CharList);

  // The card's first two occurrences of the bytes at 0x1234.
  std::vector<uint8_t> bytes(kCardSize);
  for (uint32_t i = 0; i < kCardSize; ++i) bytes[i] = pattern(i);
  std::vector<uint32_t> found;
  for (uint32_t i = 0; i + 1 < kCardSize && found.size() < 2; ++i)
    if (bytes[i] == bytes[0x1234] && bytes[i + 1] == bytes[0x1235]) found.push_back(i);
  ASSERT_EQ(found.size(), 2u);
  auto shownAt = [&](uint32_t address) {
    wchar_t top[9];
    swprintf(top, 9, L"%08X", address & ~0xFFu);
    DWORD caret = 0;
    SendMessageW(dump, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    return firstLine(windowText(addresses)) == top && caret == dumpPosition(address & 0xFF);
  };

  HWND dialog = dialogOf(tessel, IDM_SearchClick, L"検索");
  ASSERT_NE(dialog, nullptr);
  wchar_t pair[8];
  swprintf(pair, 8, L"%02X %02X", bytes[0x1234], bytes[0x1235]);
  setText(dialog, IDC_SearchData, pair);
  press(dialog, IDC_OKBtn);
  EXPECT_TRUE(endsWith(tessel, [&] { return shownAt(found[0]); })) << std::hex << found[0];
  // F3 goes on to the next one.
  PostMessageW(dump, WM_KEYDOWN, VK_F3, 0);
  EXPECT_TRUE(endsWith(tessel, [&] { return shownAt(found[1]); })) << std::hex << found[1];

  // A copy from the hexadecimal list is its text; a paste writes what the
  // clipboard holds at the caret.
  command(tessel, IDM_AddrTopIn);
  ASSERT_TRUE(waitUntil([&] { return firstLine(windowText(addresses)) == L"00000000"; }, 5000));
  placeInList(dump, dumpPosition(0) + 1, dumpPosition(2) + 1);  // from inside byte 0 into byte 2
  command(tessel, IDM_CopyC1Click);
  wchar_t copied[16];
  swprintf(copied, 16, L"%02X %02X %02X", bytes[0], bytes[1], bytes[2]);
  EXPECT_TRUE(waitUntil([&] { return clipboardText() == copied; }, 5000))
      << "clipboard: " << clipboardText().size();
  ASSERT_TRUE(waitUntil([&] { return firstLine(windowText(addresses)) == L"00000000"; }, 5000));
  setClipboardText(L"41 42 43");
  placeInList(dump, dumpPosition(0x20), dumpPosition(0x20));
  command(tessel, IDM_PasteP1Click);
  EXPECT_TRUE(waitUntil(
      [&] {
        std::vector<uint8_t> now = cardBytes(reader(0), 0x24);
        return now[0x20] == 'A' && now[0x21] == 'B' && now[0x22] == 'C';
      },
      5000));
  EXPECT_EQ(cardBytes(reader(0), 0x24)[0x23], bytes[0x23]);

  // The same bytes copied as characters paste as themselves elsewhere.
  std::wstring shown;
  ASSERT_TRUE(
      waitUntil([&] { return (shown = windowText(chars)).find(L"ABC") != std::wstring::npos; }, 5000));
  const auto at = static_cast<unsigned>(shown.find(L"ABC"));
  placeInList(chars, at, at + 3);
  command(tessel, IDM_CopyC1Click);
  EXPECT_TRUE(waitUntil([&] { return clipboardText() == L"ABC"; }, 5000));
  placeInList(dump, dumpPosition(0x40), dumpPosition(0x40));
  command(tessel, IDM_PasteP1Click);
  EXPECT_TRUE(waitUntil(
      [&] {
        std::vector<uint8_t> now = cardBytes(reader(0), 0x43);
        return now[0x40] == 'A' && now[0x41] == 'B' && now[0x42] == 'C';
      },
      5000));

  // Text that is not two-digit bytes pastes nothing and says why.
  setClipboardText(L"0x41");
  command(tessel, IDM_PasteP1Click);
  EXPECT_NE(answerMessage(tessel, 5000), L"");
  EXPECT_EQ(cardBytes(reader(0), 0x43)[0x40], 'A');
}

}  // namespace
}  // namespace tessel::test
