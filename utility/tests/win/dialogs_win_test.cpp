// The operation dialogs as users meet them: each is shown, driven by control
// identifiers from a second thread as a user would (texts typed, list items
// chosen, buttons pressed), and its model's result checked. With
// TESSEL_DIALOG_SHOTS set to a folder, each dialog is also saved as a bitmap
// there (scripts/dialog-screenshots turns them into the documentation's PNGs).
#include <windows.h>
// After windows.h, on which it builds.
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
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
#include "win32_text.h"
#include "window_shot.h"

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

std::wstring buttonText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

// As a user's click: the button changes its state, then tells its dialog.
void click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

int editLimit(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, EM_GETLIMITTEXT, 0, 0));
}

// The control with the keyboard focus in the dialog's thread. Without a
// window manager a new dialog may become active a moment after it is
// shown, and until then its thread has no focus at all: wait for one.
// Tests that run beside this one show windows on the same display, and one
// of them taking the input focus deactivates the dialog. A dialog activated
// again gives the focus back to the control that had it, so ask for that
// rather than report a focus the dialog never lost by itself.
HWND focused(HWND dialog) {
  GUITHREADINFO info{};
  for (int waited = 0; waited < 3000; waited += 20) {
    info = GUITHREADINFO{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    if (info.hwndFocus) break;
    if (waited % 500 == 200) SetForegroundWindow(dialog);
    Sleep(20);
  }
  return info.hwndFocus;
}

// The last OK of a test: a dialog that stays open fails the test instead of
// keeping it waiting in the modal loop.
void closeWithOk(HWND dialog) {
  press(dialog, IDC_OKBtn);
  if (IsWindowVisible(dialog)) {
    ADD_FAILURE() << "OK left the dialog open";
    press(dialog, IDC_CancelBtn);
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
    test::snapWindow(dialog, "dialog-open");
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

// Stands in for the system's file dialog: hands back a chosen name and
// remembers what it was asked.
class PickerDouble final : public FilePicker {
 public:
  explicit PickerDouble(std::string chosen) : chosen_(std::move(chosen)) {}
  std::optional<std::string> pick(Purpose purpose, std::string_view current) override {
    purposes.push_back(purpose);
    currents.emplace_back(current);
    return chosen_;
  }
  std::vector<Purpose> purposes;
  std::vector<std::string> currents;

 private:
  std::string chosen_;
};

// A real file in the temporary folder, removed at the end.
struct TemporaryFile {
  TemporaryFile() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path = std::wstring(folder) + L"tessel-dialogs-" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
  ~TemporaryFile() { DeleteFileW(path.c_str()); }
  std::string utf8() const { return zrb::win::wideToUtf8(path); }
  std::wstring path;
};

class TransferDialogs : public CardDialogs {
 protected:
  // A dialog on the 64 KiB card in socket 2, the active area, fitted as the
  // card window fits the remembered range before showing.
  TransferDialogModel make(TransferKind kind) {
    access.activeArea() = ActiveArea{1, 0, 0};
    TransferDialogModel model(kind, access, files);
    model.socket = 1;
    model.fitToArea(0x10000);
    return model;
  }
  SystemFileProbe files;
};

TEST_F(TransferDialogs, ReadBrowsesForANameToSaveAndAsksBeforeOverwritingIt) {
  TemporaryFile existing;
  PickerDouble picker(existing.utf8());
  TransferDialogModel model = make(TransferKind::Read);
  model.values().fileName = "old.bin";
  messages.answerYes = false;
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"リード");
    EXPECT_EQ(controlText(dialog, IDC_SocketName), L"Socket2");
    EXPECT_EQ(controlText(dialog, IDC_AttributeName), L"Common");
    EXPECT_EQ(controlText(dialog, IDC_RegionName), L"Region1");
    EXPECT_EQ(controlText(dialog, IDC_SAddrEdit), L"00000000");
    EXPECT_EQ(controlText(dialog, IDC_EAddrEdit), L"0000FFFF");
    EXPECT_EQ(editLimit(dialog, IDC_SAddrEdit), 8);
    EXPECT_EQ(editLimit(dialog, IDC_EAddrEdit), 8);
    EXPECT_EQ(buttonText(dialog, IDC_Sansyou), L"参照(R)");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"リード(&R)");
    EXPECT_EQ(listItems(dialog, IDC_FileTypeBox),
              (std::vector<std::wstring>{L"バイナリ", L"インテルHEX", L"モトローラS19", L"モトローラS28",
                                         L"モトローラS37", L"自動"}));
    EXPECT_EQ(chosenText(dialog, IDC_FileTypeBox), L"自動");
    EXPECT_EQ(GetDlgItem(dialog, IDC_OffsetEdit), nullptr);
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_OKBtn));  // a name is there

    press(dialog, IDC_Sansyou);
    EXPECT_EQ(controlText(dialog, IDC_SaveName), existing.path);
    type(dialog, IDC_EAddrEdit, L"10000");  // one past the card
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(controlText(dialog, IDC_EAddrEdit), L"10000");  // the user's text stays

    type(dialog, IDC_EAddrEdit, L"ff");
    choose(dialog, IDC_FileTypeBox, 1);
    press(dialog, IDC_OKBtn);  // "No" to the overwrite question
    EXPECT_TRUE(IsWindowVisible(dialog));
    for (int i = 0; i < 100 && focused(dialog) != GetDlgItem(dialog, IDC_SaveName); ++i) Sleep(10);
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_SaveName));
    test::snapWindow(dialog, "dialog-read");
    messages.answerYes = true;
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showTransferDialog(nullptr, model, picker));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(picker.purposes, std::vector<FilePicker::Purpose>{FilePicker::Purpose::Save});
  EXPECT_EQ(picker.currents, std::vector<std::string>{"old.bin"});
  const std::string question = "ファイルがすでにあります\r上書きしますか？";
  EXPECT_EQ(messages.shown, (std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER), question, question}));
  EXPECT_EQ(model.values().fileName, existing.utf8());
  EXPECT_EQ(model.values().fileType, 1);
  EXPECT_EQ(model.values().start, 0u);
  EXPECT_EQ(model.values().end, 0xFFu);
}

TEST_F(TransferDialogs, WriteTakesOffsetAndCompareOptionAndCompareOpensAFileToRead) {
  TransferDialogModel write = make(TransferKind::Write);
  write.values().fileName = "image.hex";
  write.values().offset = -16;
  PickerDouble picker("C:\\cards\\other.mot");
  Driver writing([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"ライト");
    EXPECT_EQ(controlText(dialog, IDC_OffsetEdit), L"-00000010");
    EXPECT_EQ(editLimit(dialog, IDC_OffsetEdit), 9);
    EXPECT_EQ(controlText(dialog, IDC_ReadName), L"image.hex");
    EXPECT_EQ(buttonText(dialog, IDC_Sansyou), L"参照(&R)");
    EXPECT_EQ(buttonText(dialog, IDC_Option), L"コンペアオプション(&C)");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"ライト(&W)");
    EXPECT_FALSE(isChecked(dialog, IDC_Option));
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_OKBtn));  // a name is there
    type(dialog, IDC_OffsetEdit, L"- 10");
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_OffsetEdit, L"10");
    click(dialog, IDC_Option);
    test::snapWindow(dialog, "dialog-write");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showTransferDialog(nullptr, write, picker));
  ASSERT_TRUE(writing.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(write.values().offset, 16);
  EXPECT_TRUE(write.values().compareAfterWrite);
  EXPECT_EQ(write.values().fileName, "image.hex");

  TransferDialogModel compare = make(TransferKind::Compare);
  compare.values().fileName = "image.hex";
  Driver comparing([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"コンペア");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"コンペア(&C)");
    EXPECT_EQ(GetDlgItem(dialog, IDC_Option), nullptr);
    press(dialog, IDC_Sansyou);
    EXPECT_EQ(controlText(dialog, IDC_ReadName), L"C:\\cards\\other.mot");
    test::snapWindow(dialog, "dialog-compare");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showTransferDialog(nullptr, compare, picker));
  ASSERT_TRUE(comparing.found());
  EXPECT_EQ(picker.purposes, std::vector<FilePicker::Purpose>{FilePicker::Purpose::Open});
  EXPECT_EQ(picker.currents, std::vector<std::string>{"image.hex"});
  EXPECT_EQ(compare.values().fileName, "C:\\cards\\other.mot");
}

TEST_F(TransferDialogs, WithoutANameTheFocusIsThereAndCancelKeepsNameTypeAndOption) {
  TransferDialogModel write = make(TransferKind::Write);
  PickerDouble picker("chosen.bin");
  Driver driver([](HWND dialog) {
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_ReadName));
    press(dialog, IDC_Sansyou);
    choose(dialog, IDC_FileTypeBox, 0);
    click(dialog, IDC_Option);
    press(dialog, IDC_CancelBtn);
  });
  EXPECT_FALSE(showTransferDialog(nullptr, write, picker));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(write.values().fileName, "");
  EXPECT_EQ(write.values().fileType, 5);
  EXPECT_FALSE(write.values().compareAfterWrite);
}

// The name box of the system's file dialog: a combo box in the explorer
// style, an edit in the old one.
HWND fileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, cmb13);
  return box ? box : GetDlgItem(dialog, edt1);
}

TEST(SystemFilePicker, OpensOnTheFilterAllAndSavingOverAFileAsksFirst) {
  TemporaryFile file;
  SystemFilePicker picker(nullptr);
  Driver opening([&](HWND dialog) {
    EXPECT_EQ(listItems(dialog, cmb1), std::vector<std::wstring>{L"*.*"});
    SetWindowTextW(fileNameBox(dialog), file.path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(picker.pick(FilePicker::Purpose::Open, "start.bin"), file.utf8());
  ASSERT_TRUE(opening.found());

  bool asked = false;
  Driver saving([&](HWND dialog) {
    SetWindowTextW(fileNameBox(dialog), file.path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // The file exists: the system asks before the name is handed back.
    if (HWND question = waitForDialog(dialog, nullptr, 10000)) {
      asked = true;
      zrb::test::closeDialog(question, IDYES);
    }
  });
  EXPECT_EQ(picker.pick(FilePicker::Purpose::Save, ""), file.utf8());
  ASSERT_TRUE(saving.found());
  EXPECT_TRUE(asked);
}

TEST_F(CardDialogs, SearchEnablesOkOnlyWithAPatternAndTakesCardBytesAndOptions) {
  SearchDialogModel model(access);
  model.end = 0xFFFF;
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"検索");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"検索(&S)");
    EXPECT_EQ(controlText(dialog, IDC_EAddrEdit), L"0000FFFF");
    EXPECT_EQ(editLimit(dialog, IDC_SAddrEdit), 8);
    EXPECT_FALSE(enabled(dialog, IDC_OKBtn));
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_SearchData));
    EXPECT_TRUE(isChecked(dialog, IDC_DirectionForward));
    EXPECT_TRUE(isChecked(dialog, IDC_OptionMatch));
    press(dialog, IDOK);  // Enter while there is nothing to search for
    EXPECT_TRUE(IsWindowVisible(dialog));

    type(dialog, IDC_SearchData, L"41");
    EXPECT_TRUE(enabled(dialog, IDC_OKBtn));
    type(dialog, IDC_SearchData, L"");
    EXPECT_FALSE(enabled(dialog, IDC_OKBtn));
    // Quoted text is matched as the card holds it: Shift-JIS.
    type(dialog, IDC_SearchData, L"\"アｱ\"");
    type(dialog, IDC_SAddrEdit, L"zz");
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_SAddrEdit, L"10");
    type(dialog, IDC_EAddrEdit, L"8000");
    click(dialog, IDC_DirectionBackward);
    click(dialog, IDC_OptionMismatch);
    EXPECT_FALSE(isChecked(dialog, IDC_DirectionForward));
    test::snapWindow(dialog, "dialog-search");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showSearchDialog(nullptr, model));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(std::vector<uint8_t>(model.pattern.view().begin(), model.pattern.view().end()),
            (std::vector<uint8_t>{0x83, 0x41, 0xB1}));
  EXPECT_EQ(model.options, SearchDialogModel::kBackward | SearchDialogModel::kMismatch);
  EXPECT_EQ(model.start, 0x10u);
  EXPECT_EQ(model.end, 0x8000u);

  // The next showing starts from the pattern and the options.
  Driver again([](HWND dialog) {
    EXPECT_EQ(controlText(dialog, IDC_SearchData), L"\"アｱ\"");
    EXPECT_TRUE(enabled(dialog, IDC_OKBtn));
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_OKBtn));
    EXPECT_TRUE(isChecked(dialog, IDC_DirectionBackward));
    EXPECT_TRUE(isChecked(dialog, IDC_OptionMismatch));
    press(dialog, IDC_CancelBtn);
  });
  EXPECT_FALSE(showSearchDialog(nullptr, model));
  ASSERT_TRUE(again.found());
}

TEST_F(CardDialogs, FillRefusesAPatternOfNoByteAndARangePastTheArea) {
  access.activeArea() = ActiveArea{1, 0, 0};
  FillDialogModel model(access);
  model.end = 0xFFFF;
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"フィル");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"フィル(&F)");
    EXPECT_FALSE(enabled(dialog, IDC_OKBtn));
    type(dialog, IDC_FillData, L"zz");
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_FillData, L"A5 5A");
    type(dialog, IDC_EAddrEdit, L"10000");
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_EAddrEdit, L"FFFF");
    test::snapWindow(dialog, "dialog-fill");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showFillDialog(nullptr, model));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown,
            (std::vector<std::string>{cardErrorMessage(R_PARAMETER), cardErrorMessage(R_BAD_NUMBER)}));
  EXPECT_EQ(model.pattern.length, 2);
  EXPECT_EQ(model.pattern.bytes[0], 0xA5);
  EXPECT_EQ(model.end, 0xFFFFu);
}

TEST_F(CardDialogs, MoveTakesADestinationWhoseWholeBlockFitsTheArea) {
  access.activeArea() = ActiveArea{1, 0, 0};
  MoveDialogModel model(access);
  model.socket = 1;
  model.end = 0xFFFF;
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"転送");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"転送(&M)");
    EXPECT_EQ(controlText(dialog, IDC_DOffsetEdit), L"00000000");
    EXPECT_EQ(editLimit(dialog, IDC_DOffsetEdit), 8);
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_OKBtn));
    type(dialog, IDC_EOffsetEdit, L"FF");
    type(dialog, IDC_DOffsetEdit, L"FF01");  // its last byte would lie past the card
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_DOffsetEdit, L"FF00");
    test::snapWindow(dialog, "dialog-move");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showMoveDialog(nullptr, model));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(model.end, 0xFFu);
  EXPECT_EQ(model.destination, 0xFF00u);
}

TEST_F(CardDialogs, EraseTakesWholeBlocksAndItsCheckBoxKeepsItsStateThroughCancel) {
  access.activeArea() = ActiveArea{1, 0, 0};
  access.sockets().info[1].eraseUnit[0] = 0x1000;
  EraseDialogModel model(access);
  model.socket = 1;
  model.end = 0xFFFF;
  Driver cancelled([](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"イレース");
    EXPECT_EQ(buttonText(dialog, IDC_Option), L"イレースチェックオプション(&O)");
    EXPECT_FALSE(isChecked(dialog, IDC_Option));
    click(dialog, IDC_Option);
    press(dialog, IDC_CancelBtn);
  });
  EXPECT_FALSE(showEraseDialog(nullptr, model));
  ASSERT_TRUE(cancelled.found());
  EXPECT_FALSE(model.eraseCheck);

  Driver driver([&](HWND dialog) {
    EXPECT_TRUE(isChecked(dialog, IDC_Option));
    EXPECT_EQ(controlText(dialog, IDC_SocketName), L"Socket2");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"イレース(&C)");
    type(dialog, IDC_OffsetEdit, L"800");  // inside a block
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_OffsetEdit, L"1000");
    type(dialog, IDC_EOffsetEdit, L"1FFF");
    test::snapWindow(dialog, "dialog-erase");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showEraseDialog(nullptr, model));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_TRUE(model.eraseCheck);
  EXPECT_EQ(model.start, 0x1000u);
  EXPECT_EQ(model.end, 0x1FFFu);
}

TEST_F(CardDialogs, EraseCheckAndPrintNameTheAreaAndCheckTheRange) {
  access.activeArea() = ActiveArea{2, 1, 0};
  struct Case {
    bool (*show)(HWND, AreaRangeDialogModel&);
    const wchar_t* caption;
    const wchar_t* ok;
    const char* shot;
  } cases[] = {{showECheckDialog, L"イレースチェック", L"チェック(&C)", "dialog-echeck"},
               {showPrintDialog, L"印刷", L"印刷設定(&P)", "dialog-print"}};
  for (const Case& c : cases) {
    messages.shown.clear();
    AreaRangeDialogModel model(access);
    model.socket = 2;
    model.region = 1;
    model.start = 0x100;
    model.end = 0x1FF;
    Driver driver([&](HWND dialog) {
      EXPECT_EQ(windowText(dialog), c.caption);
      EXPECT_EQ(buttonText(dialog, IDC_OKBtn), c.ok);
      EXPECT_EQ(controlText(dialog, IDC_SocketName), L"Socket3");
      EXPECT_EQ(controlText(dialog, IDC_RegionName), L"Region2");
      EXPECT_EQ(controlText(dialog, IDC_OffsetEdit), L"00000100");
      EXPECT_EQ(controlText(dialog, IDC_EOffsetEdit), L"000001FF");
      EXPECT_EQ(editLimit(dialog, IDC_EOffsetEdit), 8);
      type(dialog, IDC_EOffsetEdit, L"100000");  // the 1 MiB region's size
      press(dialog, IDC_OKBtn);
      EXPECT_TRUE(IsWindowVisible(dialog));
      type(dialog, IDC_EOffsetEdit, L"FFFFF");
      test::snapWindow(dialog, c.shot);
      closeWithOk(dialog);
    });
    EXPECT_TRUE(c.show(nullptr, model)) << c.shot;
    ASSERT_TRUE(driver.found());
    EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)}) << c.shot;
    EXPECT_EQ(model.end, 0xFFFFFu) << c.shot;
  }
}

TEST_F(CardDialogs, CardCopyRefusesAnEmptySocketAndTakesADestinationThatFits) {
  access.activeArea() = ActiveArea{1, 0, 0};
  CardCopyDialogModel model(access, CardCopyKind::Copy);
  model.preset(1, 0, 0, 0x10000);
  Driver driver([&](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"カードコピー");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"コピー(&C)");
    EXPECT_EQ(controlText(dialog, IDC_SocketName), L"Socket2");
    EXPECT_EQ(controlText(dialog, IDC_EOffsetEdit), L"0000FFFF");
    EXPECT_EQ(editLimit(dialog, IDC_DSOEdit), 8);
    EXPECT_EQ(focused(dialog), GetDlgItem(dialog, IDC_OKBtn));
    EXPECT_EQ(chosen(dialog, IDC_DSocketBox), 2);  // the other usable card
    EXPECT_EQ(listItems(dialog, IDC_DAttributeBox), (std::vector<std::wstring>{L"Common", L"Attribute"}));
    EXPECT_EQ(listItems(dialog, IDC_DAreaBox), (std::vector<std::wstring>{L"Region1", L"Region2"}));
    EXPECT_EQ(controlText(dialog, IDC_DEOAddr), L"0007FFFF");

    type(dialog, IDC_DSOEdit, L"100");
    choose(dialog, IDC_DSocketBox, 0);  // no card there
    EXPECT_EQ(chosen(dialog, IDC_DSocketBox), 2);
    EXPECT_EQ(controlText(dialog, IDC_DSOEdit), L"100");
    choose(dialog, IDC_DAreaBox, 1);
    EXPECT_EQ(controlText(dialog, IDC_DSOEdit), L"00000000");
    EXPECT_EQ(controlText(dialog, IDC_DEOAddr), L"000FFFFF");

    type(dialog, IDC_DSOEdit, L"F0001");  // 64 KiB from there pass the region's end
    press(dialog, IDC_OKBtn);
    EXPECT_TRUE(IsWindowVisible(dialog));
    type(dialog, IDC_DSOEdit, L"F0000");
    test::snapWindow(dialog, "dialog-card-copy");
    closeWithOk(dialog);
  });
  EXPECT_TRUE(showCardCopyDialog(nullptr, model));
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(messages.shown, std::vector<std::string>{cardErrorMessage(R_BAD_NUMBER)});
  EXPECT_EQ(model.destSocket, 2);
  EXPECT_EQ(model.destSpace, 0);
  EXPECT_EQ(model.destRegion, 1);
  EXPECT_EQ(model.destStart, 0xF0000u);

  CardCopyDialogModel compare(access, CardCopyKind::Compare);
  compare.preset(1, 0, 0, 0x10000);
  Driver comparing([](HWND dialog) {
    EXPECT_EQ(windowText(dialog), L"カードコンペア");
    EXPECT_EQ(buttonText(dialog, IDC_OKBtn), L"コンペア(&C)");
    test::snapWindow(dialog, "dialog-card-compare");
    press(dialog, IDC_CancelBtn);
  });
  EXPECT_FALSE(showCardCopyDialog(nullptr, compare));
  ASSERT_TRUE(comparing.found());
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
    test::snapWindow(dialog, "dialog-device");
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
    test::snapWindow(dialog, "dialog-envset");
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
      test::snapWindow(dialog, "dialog-input");
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
    test::snapWindow(dialog, "dialog-version");
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
    std::snprintf(address, sizeof address, "%08x", done * 0x10000);
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
        test::snapWindow(dialog, "dialog-progress");
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
