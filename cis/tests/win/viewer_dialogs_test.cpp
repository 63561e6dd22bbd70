// The DLL's dialogs under Wine: each viewer fills its controls with the texts
// the portable builder makes; the tuple list lists the tuples and opens them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "decode.h"
#include "dialog_text.h"
#include "text.h"
#include "tuple_builder.h"
#include "viewer_text.h"
#include "win/export_names.h"
#include "win/module_dir.h"
#include "win32_support.h"

namespace cis {
namespace {

using test::tuple;
using Lines = std::vector<std::string>;
using Viewer = void(__stdcall*)(HWND, const CisTupleRecord*);

class Library {
 public:
  Library() { module_ = LoadLibraryA((zrb::test::deliverableDirectory() + "\\tupview32.dll").c_str()); }
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module() const { return module_; }
  template <typename F>
  F get(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

// A visible owner window in a known place, over which the dialogs centre.
class Owner {
 public:
  Owner() {
    window_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 600, 500,
                              nullptr, nullptr, nullptr, nullptr);
  }
  ~Owner() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

struct Control {
  std::string label;
  bool labelEnabled = true;
  std::string value;
  Lines listItems;
};

struct Seen {
  std::string caption;
  std::vector<Control> controls;
  Lines comboItems;
  std::vector<std::string> secondEntry;  // values after choosing entry 2
  Lines items;
  bool itemsEnabled = true;
  bool showEnabledBeforeSelection = true;
  Page page;
  POINT centre{};
};

Lines listItems(HWND list) {
  Lines lines;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) lines.push_back(test::listItem(list, i));
  return lines;
}

Control readBlock(HWND dialog, const TextBlock& block) {
  Control control;
  if (block.labelId) {
    control.label = test::itemText(dialog, block.labelId);
    control.labelEnabled = IsWindowEnabled(GetDlgItem(dialog, block.labelId));
  }
  if (block.list)
    control.listItems = listItems(GetDlgItem(dialog, block.valueId));
  else
    control.value = test::itemText(dialog, block.valueId);
  return control;
}

Seen inspectViewer(HWND dialog, const ViewerText& expected) {
  Seen seen;
  seen.caption = test::controlText(dialog);
  RECT rect;
  GetWindowRect(dialog, &rect);
  seen.centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  if (expected.layout == Layout::HexDump) {
    seen.controls.push_back(
        {test::itemText(dialog, control::kHexHeader), true, test::itemText(dialog, control::kValue1), {}});
    return seen;
  }
  for (const TextBlock& block : expected.blocks) seen.controls.push_back(readBlock(dialog, block));
  if (expected.layout == Layout::Selector) {
    HWND combo = GetDlgItem(dialog, control::kSelector);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) seen.comboItems.push_back(test::listItem(combo, i, true));
    if (count > 1) {
      SendMessageW(combo, CB_SETCURSEL, 1, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kSelector, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
      for (const TextBlock& block : expected.blocks)
        seen.secondEntry.push_back(test::itemText(dialog, block.valueId));
    }
  }
  if (expected.hasItems) {
    HWND list = GetDlgItem(dialog, control::kItemList);
    seen.items = listItems(list);
    seen.itemsEnabled = IsWindowEnabled(list);
    seen.showEnabledBeforeSelection = IsWindowEnabled(GetDlgItem(dialog, control::kShow));
    if (!seen.items.empty()) {
      SendMessageW(list, LB_SETCURSEL, 0, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kItemList, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kShow, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, control::kShow)));
      if (HWND page = test::waitForDialog(dialog, dialog)) {
        seen.page.caption = test::controlText(page);
        seen.page.labels = {test::itemText(page, control::kLabel1)};
        seen.page.values = {test::itemText(page, control::kValue1)};
        test::closeDialog(page);
      }
    }
  }
  return seen;
}

class ViewerDialogs : public ::testing::Test {
 protected:
  void expectShown(const char* exportName, const CisTupleRecord& record) {
    SCOPED_TRACE(exportName);
    auto viewer = library_.get<Viewer>(exportName);
    ASSERT_NE(viewer, nullptr);
    ViewerText expected = buildViewerText(record);
    Seen seen;
    // The owner of the last CisShow call is what dialogs centre over: set it once with an empty list.
    if (!ownerSet_) {
      test::DialogWatcher closer([](HWND) {});
      library_.get<void(__stdcall*)(HWND, WORD, const CisTupleEntry*, unsigned)>("CisShow")(owner_.get(), 1,
                                                                                            nullptr, 0);
      ownerSet_ = true;
    }
    {
      test::DialogWatcher watcher([&](HWND dialog) { seen = inspectViewer(dialog, expected); });
      viewer(owner_.get(), &record);
      ASSERT_EQ(watcher.handled(), 1);
    }
    EXPECT_EQ(seen.caption, expected.caption);
    RECT owner;
    GetWindowRect(owner_.get(), &owner);
    EXPECT_NEAR(seen.centre.x, (owner.left + owner.right) / 2, 2);
    EXPECT_NEAR(seen.centre.y, (owner.top + owner.bottom) / 2, 2);
    if (expected.layout == Layout::HexDump) {
      ASSERT_EQ(seen.controls.size(), 1u);
      EXPECT_EQ(seen.controls[0].label, std::string(text(sid::kHexHeader)));
      EXPECT_EQ(seen.controls[0].value, win::joinLines(expected.hexLines));
      return;
    }
    ASSERT_EQ(seen.controls.size(), expected.blocks.size());
    for (size_t b = 0; b < expected.blocks.size(); ++b) {
      const TextBlock& block = expected.blocks[b];
      const Lines& values = expected.layout == Layout::Selector
                                ? (expected.entries.empty() ? Lines{} : expected.entries[0][b])
                                : block.values;
      if (block.labelId) {
        EXPECT_EQ(seen.controls[b].label, win::joinLines(block.labels)) << b;
        EXPECT_EQ(seen.controls[b].labelEnabled, block.labelEnabled) << b;
      }
      if (block.list)
        EXPECT_EQ(seen.controls[b].listItems, values) << b;
      else
        EXPECT_EQ(seen.controls[b].value, win::joinLines(values)) << b;
    }
    if (expected.layout == Layout::Selector) {
      EXPECT_EQ(seen.comboItems.size(), expected.entries.size());
      if (expected.entries.size() > 1) {
        for (size_t b = 0; b < expected.blocks.size(); ++b)
          EXPECT_EQ(seen.secondEntry[b], win::joinLines(expected.entries[1][b])) << b;
      }
    }
    if (expected.hasItems) {
      Lines texts;
      for (const SubItem& item : expected.items) texts.push_back(item.text);
      EXPECT_EQ(seen.items, texts);
      EXPECT_EQ(seen.itemsEnabled, !texts.empty());
      EXPECT_FALSE(seen.showEnabledBeforeSelection);
      if (!expected.items.empty()) {
        EXPECT_EQ(seen.page.caption, expected.items[0].page.caption);
        EXPECT_EQ(seen.page.labels, (Lines{win::joinLines(expected.items[0].page.labels)}));
        EXPECT_EQ(seen.page.values, (Lines{win::joinLines(expected.items[0].page.values)}));
      }
    }
  }

  Library library_;
  Owner owner_;
  bool ownerSet_ = false;
};

TEST_F(ViewerDialogs, SelectorViewers) {
  expectShown("CisShowDev", tuple(0x01, {0x64, 0x08, 0x5F, 0x92, 0x12, 0x0E, 0xFF}));
  expectShown("CisShowOci", tuple(0x1C, {0x83, 0x00, 0x64, 0x08, 0x64, 0x10}));
  expectShown("CisShowMfc", tuple(0x06, {2, 0, 0x00, 0x10, 0, 0, 1, 0x00, 0x20, 0x01, 0}));
  expectShown("CisShowJed", tuple(0x18, {0x89, 0xA2, 0x01, 0x02}));
  expectShown("CisShowDg", tuple(0x1E, {2, 16, 1, 1, 1, 1}));
}

TEST_F(ViewerDialogs, ColumnAndTwoColumnViewers) {
  CisTupleRecord checksum = tuple(0x10, {0xFE, 0xFF, 0x10, 0x00, 0x5A});
  expectShown("_CisShowX", tuple(0x90, {'O', 'K', 0x00, 0xFF}));
  expectShown("_CisShow0", tuple(0x14, {}));
  expectShown("CisShowCks", checksum);
  expectShown("CisShowLl", tuple(0x12, {0x00, 0x20, 0x00, 0x00}));
  expectShown("CisShowLtg", tuple(0x13, {'C', 'I', 'S'}));
  expectShown("CisShowLv1", tuple(0x15, {4, 1, 'M', 0, 'P', 0, 'a', 0, 0xFF}));
  expectShown("CisShowAltstr", tuple(0x16, {0x1B, '$', 0, 'x', 0}));
  expectShown("CisShowMid", tuple(0x20, {0x34, 0x12, 0x01, 0x00}));
  expectShown("CisShowFid", tuple(0x21, {0x04, 0x01}));
  expectShown("CisShowLv2", tuple(0x40, {1, 0, 0, 0, 0, 0, 1, 0, 1, 'O', 0, 'C', 0}));
  expectShown("CisShowFmt", tuple(0x41, {0, 0x09, 0, 2, 0, 0, 0, 0, 1, 0}));
  expectShown("CisShowFmt", tuple(0x47, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0}));
  expectShown("CisShowGeo", tuple(0x42, {63, 16, 0x00, 0x04}));
  expectShown("CisShowByte", tuple(0x43, {1, 200}));
  expectShown("CisShowDate", tuple(0x44, {0x1D, 0xBF, 0x84, 0x26}));
  expectShown("CisShowBatt", tuple(0x45, {0x00, 0x00, 0x84, 0x26}));
  expectShown("CisShowOrg", tuple(0x46, {0x00, 'F', 'A', 'T', 0}));
}

TEST_F(ViewerDialogs, ConfigurationViewersWithSubItemPages) {
  expectShown("CisShowCc",
              tuple(0x1A, {0x01, 0x23, 0x01, 0x02, 0x0B, 0xC0, 0x07, 0x41, 0x41, 'a', 0, 'b', 'c', 0}));
  expectShown("CisShowCc", tuple(0x1A, {0x41, 0x23, 0x01, 0x02, 0x0B}));
  expectShown("CisShowCe", tuple(0x1B, {0xC1, 0xD1, 0x02, 0x11, 0xB5, 0x9E, 0x7D, 0x05, 0x01, 0x55}));
  expectShown("CisShowCe", tuple(0x1B, {0x41, 0x00}));
}

TEST_F(ViewerDialogs, FunctionExtensionsByFunctionAndType) {
  expectShown("CisShowFe", tuple(0x22, {0x00, 0x02, 0x0F, 0x7F}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x01, 0x05, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x02, 0x00, 0x80, 0x00, 0x14, 0x02, 0, 0, 0, 0, 0, 0xFF}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x13, 0x00, 0x80, 0x09, 0x00, 0x03, 0x00, 0x00, 0xFF}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x84, 0, 0, 8, 0, 0, 0x01, 0}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x0B, 1, 1, 1, 1, 1, 1, 1, 1, 0x11, 0x00, 0x80, 1, 1, 1, 0xFF}, 2));
  expectShown("CisShowFe", tuple(0x22, {0x01, 0x01}, 4));
  expectShown("CisShowFe", tuple(0x22, {0x02, 0x05, 0x40}, 4));
  expectShown("CisShowFe", tuple(0x22, {0x02, 0x05, 0x40}, 0));  // no viewer: the dump
}

TEST_F(ViewerDialogs, TupleListListsNamesAndOpensTheChosenViewer) {
  using Show = void(__stdcall*)(HWND, WORD, const CisTupleEntry*, unsigned);
  auto show = library_.get<Show>(zrb::test::exportName("_CisShow@16").c_str());
  ASSERT_NE(show, nullptr);
  CisTupleRecord device = tuple(0x01, {0x64, 0x08, 0xFF});
  CisTupleRecord identification = tuple(0x21, {0x04, 0x00});
  CisTupleRecord extension = tuple(0x22, {0x01, 0x01});
  device.requestedCode = identification.requestedCode = extension.requestedCode =
      0xFF;  // as the card utility sets it
  const CisTupleEntry entries[] = {{0x01, &device}, {0x21, &identification}, {0x22, &extension}};
  std::string caption, viewerCaption, extensionCaption;
  Lines names;
  bool showEnabled = true, showEnabledAfterSelection = false;
  {
    test::DialogWatcher watcher([&](HWND dialog) {
      caption = test::controlText(dialog);
      HWND list = GetDlgItem(dialog, control::kTupleList);
      names = listItems(list);
      showEnabled = IsWindowEnabled(GetDlgItem(dialog, control::kShow));
      // Double click on the third tuple: its viewer opens over the list.
      SendMessageW(list, LB_SETCURSEL, 2, 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kTupleList, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
      showEnabledAfterSelection = IsWindowEnabled(GetDlgItem(dialog, control::kShow));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kTupleList, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(list));
      if (HWND viewer = test::waitForDialog(dialog, dialog)) {
        extensionCaption = test::controlText(viewer);
        viewerCaption = test::itemText(viewer, control::kValue1 + 1);
        test::closeDialog(viewer);
      }
    });
    show(owner_.get(), 3, entries, 3);
    ASSERT_EQ(watcher.handled(), 1);
  }
  EXPECT_EQ(caption, format(sid::kListCaption, 3u));
  EXPECT_EQ(names, (Lines{tupleName(0x01), tupleName(0x21), tupleName(0x22)}));
  EXPECT_FALSE(showEnabled);
  EXPECT_TRUE(showEnabledAfterSelection);
  // The extension got function code 4 (disk) from the identification before it.
  EXPECT_EQ(extensionCaption, tupleName(0x22));
  EXPECT_EQ(viewerCaption, lookupText(Lookup::FeDiskDdiType, 1));

  // Socket 8 and above: no caption; an empty list with the view button off.
  {
    test::DialogWatcher watcher([&](HWND dialog) {
      caption = test::controlText(dialog);
      names = listItems(GetDlgItem(dialog, control::kTupleList));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kShow, BN_CLICKED), 0);  // nothing to show
    });
    show(owner_.get(), 8, nullptr, 0);
    EXPECT_EQ(watcher.handled(), 1);
  }
  EXPECT_EQ(caption, "");
  EXPECT_TRUE(names.empty());

  // No owner: nothing is shown, the call returns at once.
  test::DialogWatcher watcher([](HWND) {});
  show(nullptr, 1, entries, 3);
  Sleep(200);
  EXPECT_EQ(watcher.handled(), 0);
}

}  // namespace
}  // namespace cis

namespace cis {
namespace {

// Owners near the desktop's edges: the dialog keeps inside the desktop and off negative coordinates.
TEST(DialogPlacement, StaysOnTheDesktop) {
  Library library;
  using Show = void(__stdcall*)(HWND, WORD, const CisTupleEntry*, unsigned);
  auto show = library.get<Show>("CisShow");
  ASSERT_NE(show, nullptr);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const POINT corners[] = {{desktop.right - 120, desktop.bottom - 90}, {-400, -300}};
  for (POINT corner : corners) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, corner.x, corner.y, 200, 150,
                                 nullptr, nullptr, nullptr, nullptr);
    RECT placed{};
    {
      test::DialogWatcher watcher([&](HWND dialog) { GetWindowRect(dialog, &placed); });
      show(owner, 1, nullptr, 0);
      EXPECT_EQ(watcher.handled(), 1);
    }
    DestroyWindow(owner);
    EXPECT_GE(placed.left, 0);
    EXPECT_GE(placed.top, 0);
    EXPECT_LE(placed.right, desktop.right);
    EXPECT_LE(placed.bottom, desktop.bottom);
    EXPECT_GT(placed.right - placed.left, 0);
  }
}

}  // namespace
}  // namespace cis
