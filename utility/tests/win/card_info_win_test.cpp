// The card information display as a user meets it: the CIS of virtual SRAM
// and ATA cards, walked over slothub.dll on the Windows 98 path, shown by
// tupview32.dll through the program's display, and read back from the
// display's windows while a second thread plays the user (the list is modal).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "card_access.h"
#include "card_manager_binding.h"
#include "cis_walk.h"
#include "control_ids.h"
#include "recording_messages.h"
#include "socket_poll.h"
#include "tupview32.h"
#include "win/dialog_watcher.h"
#include "win/module_dir.h"
#include "win/slothub_session.h"
#include "win32_card_info_display.h"
#include "win32_module_loader.h"
#include "win32_text.h"
#include "window_shot.h"

namespace tessel {
namespace {

using Lines = std::vector<std::string>;
using win::Win32CardInfoDisplay;
using zrb::test::closeDialog;
using zrb::test::waitForDialog;
using zrb2x::virt::CardTemplate;

// Shift-JIS, as the library writes its texts, so they compare with CisDescribe.
std::string textOf(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return zrb::win::wideToShiftJis(text);
}

Lines listBoxItems(HWND list) {
  Lines items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    const LRESULT length = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(length < 0 ? 0 : length));
    items.push_back(zrb::win::wideToShiftJis(item));
  }
  return items;
}

// An enumeration callback must be a WINAPI function (a lambda has the wrong
// calling convention on 32-bit Windows).
BOOL CALLBACK collectVisibleText(HWND child, LPARAM context) {
  if (IsWindowVisible(child)) *reinterpret_cast<std::string*>(context) += textOf(child) + "\n";
  return TRUE;
}

// The lines the library says the viewer of `tuple` shows: the tuple's name,
// then "label: value". The description reads the code where the list's copy
// carries it (the card utility hands over 0xFF there), so it gets that copy.
Lines describe(const cis::CisTupleRecord& tuple) {
  cis::CisTupleRecord record = tuple;
  record.requestedCode = tuple.cardCode;
  std::string text(CisDescribe(&record, nullptr, 0), '\0');
  CisDescribe(&record, text.data(), static_cast<unsigned>(text.size()));
  text.resize(text.find('\0'));
  Lines lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

struct ViewerSeen {
  std::string caption;
  std::string texts;  // every visible control's text, one per line
};

struct ListSeen {
  bool shown = false;
  std::wstring caption;
  Lines names;
  std::vector<ViewerSeen> viewers;  // one per tuple opened, in the order asked
};

enum class Open { WithViewButton, ByDoubleClick };
struct OpenTuple {
  int index;
  Open how;
};

// A visible main window the display is owned by, as the program's frame is.
class OwnerWindow {
 public:
  OwnerWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"tessel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 40, 640, 480,
                                nullptr, nullptr, nullptr, nullptr)) {}
  ~OwnerWindow() { DestroyWindow(window_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

class CardInformationDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.resize(access.socketCount());
    // As the program's first status poll does before any card window opens.
    pollSockets(access);
  }
  void TearDown() override {
    access.unbindCardService();
    SetDllDirectoryA(nullptr);
  }

  // Shows `tuples` of `socket` through the program's display; a user thread
  // reads the list, opens the tuples asked for one after the other, reads
  // each viewer, and closes everything.
  ListSeen showAsUser(uint8_t socket, const std::vector<cis::CisTupleEntry>& tuples,
                      const std::vector<OpenTuple>& opens, const char* shot = nullptr) {
    ListSeen seen;
    std::thread user([&] {
      HWND list = waitForDialog(owner.get(), nullptr, 20000);
      if (!list) return;
      seen.shown = true;
      seen.caption = zrb::win::shiftJisToWide(textOf(list));
      HWND box = GetDlgItem(list, CIS_ID_TUPLE_LIST);
      seen.names = listBoxItems(box);
      if (shot) {
        // The picture shows the list as a user finds it, the first tuple chosen.
        SendMessageW(box, LB_SETCURSEL, 0, 0);
        SendMessageW(list, WM_COMMAND, MAKEWPARAM(CIS_ID_TUPLE_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        test::snapWindow(list, shot);
      }
      for (const OpenTuple& open : opens) {
        SendMessageW(box, LB_SETCURSEL, open.index, 0);
        SendMessageW(list, WM_COMMAND, MAKEWPARAM(CIS_ID_TUPLE_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        // Posted: the viewer is modal on the list's thread and this one must go on.
        if (open.how == Open::WithViewButton)
          PostMessageW(list, WM_COMMAND, MAKEWPARAM(CIS_ID_SHOW, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(list, CIS_ID_SHOW)));
        else
          PostMessageW(list, WM_COMMAND, MAKEWPARAM(CIS_ID_TUPLE_LIST, LBN_DBLCLK),
                       reinterpret_cast<LPARAM>(box));
        ViewerSeen viewerSeen;
        if (HWND viewer = waitForDialog(list, list)) {
          viewerSeen.caption = textOf(viewer);
          EnumChildWindows(viewer, collectVisibleText, reinterpret_cast<LPARAM>(&viewerSeen.texts));
          closeDialog(viewer);
        }
        seen.viewers.push_back(viewerSeen);
      }
      closeDialog(list);
    });
    Win32CardInfoDisplay(owner.get()).show(socket, tuples);
    user.join();
    return seen;
  }

  // Every field value the library describes for `record` is on its viewer.
  static void expectDescribedValuesShown(const cis::CisTupleRecord& record, const ViewerSeen& viewer) {
    const Lines lines = describe(record);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(viewer.caption, lines[0]);
    for (size_t i = 1; i < lines.size(); ++i) {
      const size_t colon = lines[i].find(": ");
      const std::string value = colon == std::string::npos ? std::string() : lines[i].substr(colon + 2);
      if (value.empty()) continue;
      EXPECT_NE(viewer.texts.find(value), std::string::npos) << lines[i] << "\n" << viewer.texts;
    }
  }

  zrb::test::VirtualReaders readers{CardTemplate::Sram, CardTemplate::Ata, CardTemplate::Blank};
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding binding{loader};
  test::RecordingMessages messages;
  CardAccess access{binding, messages};
  OwnerWindow owner;
};

TEST_F(CardInformationDisplay, AnSramCardsTuplesAreListedInChainOrderAndOpenInTheirViewers) {
  const std::vector<cis::CisTupleRecord> records = readCardCis(access, 0);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].cardCode, 0x01);  // device information
  EXPECT_EQ(records[1].cardCode, 0x15);  // version 1 strings
  const ListSeen seen = showAsUser(0, cisTupleList(records),
                                   {{0, Open::WithViewButton}, {1, Open::ByDoubleClick}}, "card-information");
  ASSERT_TRUE(seen.shown);
  // The socket index from 0 is shown to the user as socket 1.
  EXPECT_EQ(seen.caption, L"ｶｰﾄﾞ情報 (ｿｹｯﾄ 1)");
  EXPECT_EQ(seen.names, (Lines{describe(records[0])[0], describe(records[1])[0]}));
  ASSERT_EQ(seen.viewers.size(), 2u);
  expectDescribedValuesShown(records[0], seen.viewers[0]);
  expectDescribedValuesShown(records[1], seen.viewers[1]);
  // The card's own strings, as the version viewer shows them.
  EXPECT_NE(seen.viewers[1].texts.find("VELMO"), std::string::npos) << seen.viewers[1].texts;
  EXPECT_NE(seen.viewers[1].texts.find("VIRTUAL MEMORY CARD"), std::string::npos) << seen.viewers[1].texts;
  EXPECT_EQ(waitForDialog(nullptr, nullptr, 200), nullptr) << "a window of the display stayed open";
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CardInformationDisplay, AnAtaCardsFunctionIdentificationOpensInItsViewer) {
  const std::vector<cis::CisTupleRecord> records = readCardCis(access, 1);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].cardCode, 0x01);
  EXPECT_EQ(records[1].cardCode, 0x15);
  EXPECT_EQ(records[2].cardCode, 0x21);  // function identification: fixed disk
  const ListSeen seen =
      showAsUser(1, cisTupleList(records), {{2, Open::ByDoubleClick}, {0, Open::WithViewButton}});
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, L"ｶｰﾄﾞ情報 (ｿｹｯﾄ 2)");
  EXPECT_EQ(seen.names, (Lines{describe(records[0])[0], describe(records[1])[0], describe(records[2])[0]}));
  ASSERT_EQ(seen.viewers.size(), 2u);
  expectDescribedValuesShown(records[2], seen.viewers[0]);
  expectDescribedValuesShown(records[0], seen.viewers[1]);
  EXPECT_EQ(waitForDialog(nullptr, nullptr, 200), nullptr) << "a window of the display stayed open";
}

TEST_F(CardInformationDisplay, ACardWithoutCisShowsAnEmptyList) {
  const std::vector<cis::CisTupleRecord> records = readCardCis(access, 2);
  EXPECT_TRUE(records.empty());
  const ListSeen seen = showAsUser(2, cisTupleList(records), {});
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, L"ｶｰﾄﾞ情報 (ｿｹｯﾄ 3)");
  EXPECT_TRUE(seen.names.empty());
}

}  // namespace
}  // namespace tessel
