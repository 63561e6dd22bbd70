// The operation dialogs as users meet them: each is shown, driven by control
// identifiers from a second thread as a user would (texts typed, list items
// chosen, buttons pressed), and its model's result checked. With
// TESSEL_DIALOG_SHOTS set to a folder, each dialog is also saved as a bitmap
// there (scripts/dialog-screenshots turns them into the documentation's PNGs).
#include <windows.h>
// After windows.h, on which it builds.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "binding/card_manager_binding.h"
#include "card_messages.h"
#include "dialog_test_cards.h"
#include "recording_messages.h"
#include "result_codes.h"
#include "socket_poll.h"
#include "win/dialog_watcher.h"
#include "win32_dialogs.h"

namespace tessel::win {
namespace {

using zrb::test::waitForDialog;

std::wstring controlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

std::wstring windowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

void type(HWND dialog, int id, const wchar_t* text) {
  SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// As a user's choice: the list moves, then tells its dialog.
void choose(HWND dialog, int id, int index) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

int chosen(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> listItems(HWND dialog, int id) {
  std::vector<std::wstring> items;
  int count = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t item[64] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    items.emplace_back(item);
  }
  return items;
}

std::wstring chosenText(HWND dialog, int id) {
  int index = chosen(dialog, id);
  return index < 0 ? std::wstring() : listItems(dialog, id)[static_cast<size_t>(index)];
}

// Saves the dialog as it is on screen as a 24-bit bitmap.
void snap(HWND window, const char* name) {
  const char* folder = std::getenv("TESSEL_DIALOG_SHOTS");
  if (!folder) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(500);
  RECT rect{};
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(row * static_cast<DWORD>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string path = std::string(folder) + "/" + name + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
  }
}

struct MenuSearch {
  HWND found = nullptr;
};

// An enumeration callback must be a WINAPI function: a lambda has the wrong
// calling convention on 32-bit Windows.
BOOL CALLBACK matchMenu(HWND window, LPARAM context) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || lstrcmpW(name, L"#32768") != 0)
    return TRUE;
  reinterpret_cast<MenuSearch*>(context)->found = window;
  return FALSE;
}

// A visible pop-up menu of this process (class "#32768"), waiting up to 5 s.
HWND waitForMenu() {
  MenuSearch search;
  for (int i = 0; i < 250 && !search.found; ++i) {
    EnumWindows(matchMenu, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(20);
  }
  return search.found;
}

// Runs `drive` on the next dialog this process shows, on a thread of its own,
// while the test's thread sits in the dialog's modal loop.
class Driver {
 public:
  explicit Driver(std::function<void(HWND)> drive, HWND owner = nullptr)
      : thread_([this, drive = std::move(drive), owner] {
          HWND dialog = waitForDialog(owner, nullptr, 20000);
          found_ = dialog != nullptr;
          if (dialog) drive(dialog);
        }) {}
  ~Driver() {
    if (thread_.joinable()) thread_.join();
  }
  bool found() {
    thread_.join();
    return found_;
  }

 private:
  bool found_ = false;
  std::thread thread_;
};

using zrb2x::virt::CardTemplate;

using CardDialogs = test::DialogTestCards;

TEST_F(CardDialogs, OpenDialogChoosesSocketRegionAndStart) {
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"開く");
    EXPECT_EQ(listItems(dialog, IDC_SocketBox),
              (std::vector<std::wstring>{L"Socket1", L"Socket2", L"Socket3"}));
    EXPECT_EQ(chosen(dialog, IDC_SocketBox), 1);  // the empty first socket is passed over
    EXPECT_EQ(controlText(dialog, IDC_OffsetEdit), L"00000000");
    choose(dialog, IDC_SocketBox, 0);
    EXPECT_EQ(chosen(dialog, IDC_SocketBox), 1);
    choose(dialog, IDC_SocketBox, 2);
    EXPECT_EQ(listItems(dialog, IDC_AreaBox), (std::vector<std::wstring>{L"Region1", L"Region2"}));
    EXPECT_EQ(listItems(dialog, IDC_AttributeBox), (std::vector<std::wstring>{L"Common", L"Attribute"}));
    choose(dialog, IDC_AreaBox, 1);
    type(dialog, IDC_OffsetEdit, L"100000");
    snap(dialog, "dialog-open");
    press(dialog, IDC_OKBtn);  // one past the region's end: refused, still open
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_OffsetEdit, L"FFFF8");
    press(dialog, IDC_OKBtn);
  });
  EXPECT_TRUE(showOpenDialog(nullptr, access));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(access.selection().socket, 2);
  EXPECT_EQ(access.selection().region, 1);
  EXPECT_EQ(access.selection().space, 0);
  EXPECT_EQ(access.selection().start, 0xFFF00u);
}

TEST_F(CardDialogs, OpenDialogCancelChangesNothing) {
  access.selection() = CurrentSelection{2, 1, 0, 0x100};
  Driver driver([](HWND dialog) {
    choose(dialog, IDC_AttributeBox, 1);
    EXPECT_EQ(listItems(dialog, IDC_AreaBox), std::vector<std::wstring>{L"Region1"});
    press(dialog, IDC_CancelBtn);
  });
  EXPECT_FALSE(showOpenDialog(nullptr, access));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(access.selection().start, 0x100u);
  EXPECT_EQ(access.selection().region, 1);
}

TEST(DeviceDialog, ShowsTheAreaAndTakesChipMenuChoiceAndSize) {
  test::RecordingMessages messages;
  DevDialogModel model;
  model.socket = 0;
  model.region = 1;
  model.code = 69;
  model.size = 0x100000;
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"品種変更");
    EXPECT_EQ(controlText(dialog, IDC_SocketName), L"Socket1");
    EXPECT_EQ(controlText(dialog, IDC_AttributeName), L"Common");
    EXPECT_EQ(controlText(dialog, IDC_RegionName), L"Region2");
    EXPECT_EQ(controlText(dialog, IDC_Size), L"0100000");
    EXPECT_EQ(listItems(dialog, IDC_DevBox).size(), 13u);
    EXPECT_EQ(chosenText(dialog, IDC_DevBox), L"29F040~");
    // A right click on the list brings up the chip menu with its makers.
    HWND box = GetDlgItem(dialog, IDC_DevBox);
    RECT rect{};
    GetWindowRect(box, &rect);
    PostMessageW(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box),
                 MAKELPARAM(rect.left + 8, rect.bottom));
    HWND menu = waitForMenu();
    ASSERT_TRUE(menu);
    HMENU makers = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    EXPECT_EQ(GetMenuItemCount(makers), 7);
    wchar_t maker[32] = {};
    GetMenuStringW(makers, 4, maker, 32, MF_BYPOSITION);
    EXPECT_STREQ(maker, L"富士通");
    PostMessageW(dialog, WM_CANCELMODE, 0, 0);
    for (int i = 0; i < 100 && IsWindowVisible(menu); ++i) Sleep(20);
    // "SHARP" → "LH28F160SU", as the chip menu sends it.
    press(dialog, chipCommandId(6, 7));
    EXPECT_EQ(chosenText(dialog, IDC_DevBox), L"28F008_5V~");
    type(dialog, IDC_Size, L"FF");
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_Size, L"2M");
    snap(dialog, "dialog-device");
    press(dialog, IDC_OKBtn);
  });
  EXPECT_TRUE(showDeviceDialog(nullptr, model, messages));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(model.code, 6);
  EXPECT_EQ(model.size, 0x200000u);
}

TEST(EnvSetDialog, EditsTheChosenSocketsDefault) {
  test::RecordingMessages messages;
  SocketTable table;
  table.count = 2;
  table.settings[1] = SocketSettings{69, 0x100000, 1, 0, 1};
  EnvSetDialogModel model(table, 0);
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"環境設定");
    EXPECT_EQ(listItems(dialog, IDC_DevBox).size(), 12u);
    EXPECT_EQ(controlText(dialog, IDC_Size), L"4000000");
    choose(dialog, IDC_SocketBox, 1);
    EXPECT_EQ(controlText(dialog, IDC_Size), L"0100000");
    EXPECT_EQ(chosenText(dialog, IDC_DevBox), L"29F040~");
    choose(dialog, IDC_DevBox, 11);
    type(dialog, IDC_Size, L"32M");
    snap(dialog, "dialog-envset");
    press(dialog, IDC_OKBtn);
  });
  EXPECT_TRUE(showEnvSetDialog(nullptr, model, messages));
  ASSERT_TRUE(driver.found());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(model.socket(), 1);
  EXPECT_EQ(model.working().defaultType, 10);
  EXPECT_EQ(model.working().defaultSize, 0x2000000u);
  EXPECT_EQ(model.working().optionB, 1u);
}

TEST(InputBox, ReturnsWhatWasTypedEvenEmptyAndKeepsTheTextOnCancel) {
  std::string text = "0000000";
  {
    Driver driver([](HWND dialog) {
      EXPECT_EQ(windowText(dialog), L"ジャンプ");
      EXPECT_EQ(controlText(dialog, IDC_InpLabel), L"アドレス");
      EXPECT_EQ(controlText(dialog, IDC_InpData), L"0000000");
      type(dialog, IDC_InpData, L"1F00");
      snap(dialog, "dialog-input");
      press(dialog, IDOK);
    });
    EXPECT_TRUE(showInputBox(nullptr, text));
    ASSERT_TRUE(driver.found());
    EXPECT_EQ(text, "1F00");
  }
  {
    Driver driver([](HWND dialog) {
      type(dialog, IDC_InpData, L"");
      press(dialog, IDOK);
    });
    EXPECT_TRUE(showInputBox(nullptr, text));
    ASSERT_TRUE(driver.found());
    EXPECT_EQ(text, "");
  }
  text = "ABCD";
  Driver driver([](HWND dialog) {
    type(dialog, IDC_InpData, L"1234");
    press(dialog, IDCANCEL);
  });
  EXPECT_FALSE(showInputBox(nullptr, text));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(text, "ABCD");
}

TEST(VersionDialog, ShowsTheProgramsFileVersionAndDate) {
  Driver driver([](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"バージョン情報");
    EXPECT_EQ(controlText(dialog, IDC_VerNum), L"Ver 3.1.4.1");
    EXPECT_TRUE(std::regex_match(controlText(dialog, IDC_VerDate), std::wregex(L"\\(\\d{6}\\)")));
    EXPECT_TRUE(std::regex_match(controlText(dialog, IDC_VerYear), std::wregex(L"\\d{4}")));
    snap(dialog, "dialog-version");
    press(dialog, IDOK);
  });
  showVersionDialog(nullptr);
  EXPECT_TRUE(driver.found());
}

// A stand-in for the main window that the progress window disables.
struct OwnerWindow {
  OwnerWindow()
      : window(CreateWindowExW(0, L"STATIC", L"tessel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() { DestroyWindow(window); }
  HWND window;
};

// Runs an operation with a bar of `steps` steps until the window says stop,
// at most `limit` steps; the count of steps done.
int runOperation(Gages& gages, int steps, int limit) {
  gages.start(static_cast<uint32_t>(steps), "比較中");
  for (int done = 0; done < limit; ++done) {
    char address[16];
    std::snprintf(address, sizeof address, "%0.8x", done * 0x10000);
    gages.setPosition(address);
    Sleep(1);
    if (!gages.step()) return done;
  }
  return limit;
}

TEST(Gages, CloseBoxStopsTheOperationAndTheOwnerStaysDisabledUntilClose) {
  OwnerWindow owner;
  Gages gages(owner.window);
  Driver driver(
      [](HWND dialog) {
        // Stop half-way, so that the picture shows a bar that moved.
        for (int i = 0; i < 500 && SendDlgItemMessageW(dialog, IDC_ProgressBar1, PBM_GETPOS, 0, 0) < 250; ++i)
          Sleep(10);
        EXPECT_EQ(windowText(dialog), L"比較中");
        EXPECT_EQ(controlText(dialog, IDC_ProcessName), L"処理アドレス：");
        snap(dialog, "dialog-progress");
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      },
      owner.window);
  int done = runOperation(gages, 1000, 100000);
  ASSERT_TRUE(driver.found());
  EXPECT_LT(done, 100000);
  // The operation has not returned yet: nothing but the progress window takes input.
  EXPECT_FALSE(IsWindowEnabled(owner.window));
  EXPECT_TRUE(gages.active());
  EXPECT_TRUE(IsWindowVisible(gages.window()));
  gages.close();
  EXPECT_TRUE(IsWindowEnabled(owner.window));
  EXPECT_FALSE(gages.active());
  EXPECT_FALSE(IsWindowVisible(gages.window()));
}

TEST(Gages, StopButtonEndsTheOperationAndTheNextOneStartsAfresh) {
  OwnerWindow owner;
  Gages gages(owner.window);
  {
    Driver driver(
        [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_Button1, BN_CLICKED), 0); },
        owner.window);
    EXPECT_LT(runOperation(gages, 100000, 100000), 100000);
    ASSERT_TRUE(driver.found());
    gages.close();
  }
  EXPECT_EQ(runOperation(gages, 20, 20), 20);
  gages.close();
  EXPECT_TRUE(IsWindowEnabled(owner.window));
}

}  // namespace
}  // namespace tessel::win
