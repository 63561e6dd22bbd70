// tessel.exe as its user meets it, over the real card manager, accessor and
// virtual reader-writers: on the NT family through the installed access
// service, and (ZRB_TEST_WIN98=1) on the Windows 98 path in-process.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_ids.h"
#include "tessel_gui_fixture.h"

namespace tessel::test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLime = RGB(0, 255, 0);

TEST_F(TesselGui, LampsShowEachSocketAndFollowRemovalAndInsertionWithinOnePoll) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  SetForegroundWindow(tessel.frame());
  ASSERT_TRUE(waitUntil([&] { return lampColour(lamp(tessel, 0)) == kLime; }, kOnePoll));
  // The lamps are read off the screen, and each paints in its own turn.
  auto lampShows = [&](int index, COLORREF colour) {
    return waitUntil([&] { return lampColour(lamp(tessel, index)) == colour; }, kOnePoll);
  };
  EXPECT_TRUE(lampShows(1, kLime));
  EXPECT_TRUE(lampShows(2, kWhite));
  EXPECT_TRUE(lampShows(3, kLime));
  EXPECT_TRUE(IsWindowVisible(lamp(tessel, 3)));
  EXPECT_FALSE(IsWindowVisible(lamp(tessel, 4))) << "only the manager's sockets are shown";
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton1));

  ASSERT_EQ(virt::removeCard(reader(0)), "");
  EXPECT_TRUE(waitUntil([&] { return lampColour(lamp(tessel, 0)) == kWhite; }, kOnePoll));
  ASSERT_EQ(virt::insertCard(reader(2), virt::CardTemplate::Eeprom, {}), "");
  EXPECT_TRUE(waitUntil([&] { return lampColour(lamp(tessel, 2)) == kLime; }, kOnePoll));

  // With no usable card left, nothing can be opened.
  ASSERT_EQ(virt::removeCard(reader(1)), "");
  ASSERT_EQ(virt::removeCard(reader(2)), "");
  ASSERT_EQ(virt::removeCard(reader(3)), "");
  EXPECT_TRUE(waitUntil([&] { return !buttonEnabled(tessel, IDC_ToolButton1); }, kOnePoll));
}

TEST_F(TesselGui, ACancelledLogoffKeepsTheProgramWholeAndARealOneLetsTheCardsGo) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  SetForegroundWindow(tessel.frame());
  ASSERT_TRUE(waitUntil([&] { return lampColour(lamp(tessel, 0)) == kLime; }, kOnePoll));

  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      SendMessageTimeoutW(tessel.frame(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the logoff may go on";
  SendMessageTimeoutW(tessel.frame(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
  ASSERT_EQ(virt::removeCard(reader(0)), "");
  EXPECT_TRUE(waitUntil([&] { return lampColour(lamp(tessel, 0)) == kWhite; }, kOnePoll))
      << "after a cancelled logoff the poll goes on";

  SendMessageTimeoutW(tessel.frame(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
  ASSERT_EQ(virt::insertCard(reader(0), virt::CardTemplate::Sram, {}), "");
  EXPECT_FALSE(waitUntil([&] { return lampColour(lamp(tessel, 0)) == kLime; }, kOnePoll))
      << "once the logon ends the card manager is let go and nothing is polled";
}

TEST_F(TesselGui, OpenDialogChecksTheAddressAndOpensACardWindow) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return buttonEnabled(tessel, IDC_ToolButton1); }, kOnePoll));
  EXPECT_FALSE(buttonEnabled(tessel, IDC_ToolButton2));

  command(tessel, IDM_OpenO1);
  HWND dialog = tessel.waitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_SocketBox), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_OffsetEdit)), L"00000000");

  // An address beyond the card: the message, and the dialog stays.
  setText(dialog, IDC_OffsetEdit, L"FFFFFFF");
  press(dialog, IDC_OKBtn);
  HWND message = tessel.waitForDialog(10000, dialog);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(messageBoxText(message), L"105 : オフセット値に誤りがあります");
  press(message, IDOK);
  ASSERT_TRUE(gone(message));
  EXPECT_TRUE(IsWindowVisible(dialog));

  setText(dialog, IDC_OffsetEdit, L"1234");
  press(dialog, IDC_OKBtn);
  ASSERT_TRUE(gone(dialog));
  EXPECT_TRUE(waitUntil([&] { return tessel.cardWindows().size() == 1; }, 5000));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton2));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton13));

  // Closing the last card window disables the card buttons again.
  command(tessel, IDM_AllClose);
  EXPECT_TRUE(waitUntil([&] { return !buttonEnabled(tessel, IDC_ToolButton2); }, 5000));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton1));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton14));
}

std::vector<uint8_t> cardBytes(const std::filesystem::path& reader, size_t count) {
  std::ifstream image(reader / "common.img", std::ios::binary);
  std::vector<uint8_t> bytes(count);
  image.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  return bytes;
}

std::wstring dumpLineOf(const std::vector<uint8_t>& bytes, size_t first) {
  std::wstring line;
  for (size_t i = 0; i < 16; ++i) {
    wchar_t pair[4];
    swprintf(pair, 4, L"%02X", bytes[first + i]);
    line += (i ? L" " : L"") + std::wstring(pair);
  }
  return line;
}

TEST_F(TesselGui, ACardWindowShowsTheCardTakesTypedBytesAndClosesWhenTheCardIsPulled) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return buttonEnabled(tessel, IDC_ToolButton1); }, kOnePoll));
  command(tessel, IDM_OpenO1);
  HWND dialog = tessel.waitForDialog();
  ASSERT_NE(dialog, nullptr);
  press(dialog, IDC_OKBtn);
  ASSERT_TRUE(gone(dialog));
  ASSERT_TRUE(waitUntil([&] { return tessel.cardWindows().size() == 1; }, 5000));
  HWND card = tessel.cardWindows()[0];
  HWND addresses = GetDlgItem(card, IDC_AddrList), dump = GetDlgItem(card, IDC_DumpList),
       chars = GetDlgItem(card, IDC_CharList);
  ASSERT_TRUE(addresses && dump && chars);

  // The first read happens when the window becomes active.
  ASSERT_TRUE(waitUntil([&] { return firstLine(windowText(addresses)) == L"00000000"; }, 5000));
  std::vector<uint8_t> before = cardBytes(reader(0), 256);
  EXPECT_EQ(firstLine(windowText(dump)), dumpLineOf(before, 0));
  EXPECT_EQ(windowText(addresses).substr(10, 8), L"00000010");

  // Two digits on byte 0x10 (line 1 of the hexadecimal list), then a
  // character on byte 0x20 (line 2 of the character list).
  SendMessageW(dump, EM_SETSEL, 49, 49);
  PostMessageW(dump, WM_CHAR, L'A', 0);
  PostMessageW(dump, WM_CHAR, L'5', 0);
  EXPECT_TRUE(waitUntil([&] { return cardBytes(reader(0), 0x11)[0x10] == 0xA5; }, 5000));
  SendMessageW(chars, EM_SETSEL, 36, 36);
  PostMessageW(chars, WM_CHAR, L'Z', 0);
  EXPECT_TRUE(waitUntil([&] { return cardBytes(reader(0), 0x21)[0x20] == 'Z'; }, 5000));
  std::vector<uint8_t> after = cardBytes(reader(0), 256);
  before[0x10] = 0xA5;
  before[0x20] = 'Z';
  EXPECT_EQ(after, before) << "nothing else changed";

  ASSERT_EQ(virt::removeCard(reader(0)), "");
  HWND message = tessel.waitForDialog(kOnePoll * 2);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(messageBoxText(message), L"10E : カードが抜去されました");
  press(message, IDOK);
  EXPECT_TRUE(waitUntil([&] { return tessel.cardWindows().empty(); }, 5000));
}

TEST_F(TesselGui, ASecondStartBringsTheFirstBackAndEnds) {
  TesselProcess first(tesselPath());
  ASSERT_NE(first.frame(), nullptr);
  ShowWindow(first.frame(), SW_MINIMIZE);
  ASSERT_TRUE(waitUntil([&] { return IsIconic(first.frame()) != FALSE; }, 5000));

  TesselProcess second(tesselPath());
  DWORD code = 1;
  EXPECT_TRUE(second.waitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(waitUntil([&] { return !IsIconic(first.frame()); }, 5000)) << "restored";
}

TEST_F(TesselGui, SocketSettingsSurviveARestart) {
  {
    TesselProcess tessel(tesselPath());
    ASSERT_NE(tessel.frame(), nullptr);
    command(tessel, IDM_EnvSet);
    HWND dialog = tessel.waitForDialog();
    ASSERT_NE(dialog, nullptr);
    setText(dialog, IDC_Size, L"2M");
    press(dialog, IDC_OKBtn);
    ASSERT_TRUE(gone(dialog));
  }
  TesselProcess again(tesselPath());
  ASSERT_NE(again.frame(), nullptr);
  command(again, IDM_EnvSet);
  HWND dialog = again.waitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_Size)), L"0200000");
  press(dialog, IDC_CancelBtn);
  EXPECT_TRUE(gone(dialog));
}

TEST_F(TesselGui, WithoutACardManagerItSaysSoAndOffersOnlyHelpVersionAndExit) {
  zrb::test::ScratchDir alone;
  std::string program = (alone.path() / "tessel.exe").string();
  ASSERT_TRUE(CopyFileA(tesselPath().c_str(), program.c_str(), FALSE));
  // The image file and CIS libraries are bound when the program loads; only
  // the card manager, which the program loads itself, is missing here.
  for (const char* library : {"hexo32.dll", "tupview32.dll"}) {
    std::string from = zrb::test::deliverableDirectory() + "\\" + library;
    ASSERT_TRUE(CopyFileA(from.c_str(), (alone.path() / library).string().c_str(), FALSE)) << library;
  }
  TesselProcess tessel(program);
  ASSERT_NE(tessel.frame(), nullptr);
  HWND message = tessel.waitForDialog();
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(messageBoxText(message), L"システムエラー01：カードマネージャをロードできません");
  press(message, IDOK);
  ASSERT_TRUE(gone(message));
  EXPECT_FALSE(buttonEnabled(tessel, IDC_ToolButton1));
  EXPECT_FALSE(buttonEnabled(tessel, IDC_ToolButton2));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton14));
  EXPECT_TRUE(buttonEnabled(tessel, IDC_ToolButton3));
}

}  // namespace
}  // namespace tessel::test
