#include "win32_viewer_dialog.h"

#include <algorithm>
#include <memory>
#include <string>

#include "text.h"
#include "win32_exports.h"
#include "win32_support.h"
#include "win32_text.h"

namespace cis::win {
namespace {

// Layout in dialog units.
constexpr int kMargin = 7;
constexpr int kLabelWidth = 110;
constexpr int kValueX = kMargin + kLabelWidth + 4;
constexpr int kValueWidth = 190;
constexpr int kLineHeight = 9;
constexpr int kListLines = 6;
constexpr int kMaxTwoColumnLines = 14;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

// Every control of the generic viewer template; the layout shows those it uses.
constexpr int kTemplateControls[] = {
    control::kSelectorLabel, control::kSelector, 289,           290, 291, 292, 293, 321, 322, 323, 324, 325,
    control::kList1,         control::kItemList, control::kShow};

class Layout {
 public:
  explicit Layout(HWND dialog) : dialog_(dialog) {}

  void place(int id, int x, int y, int width, int height) {
    HWND item = GetDlgItem(dialog_, id);
    if (!item) return;
    RECT rect{x, y, x + width, y + height};
    MapDialogRect(dialog_, &rect);
    MoveWindow(item, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    ShowWindow(item, SW_SHOW);
    placed_.push_back(id);
  }

  void finish(int width, int height) {
    for (int id : kTemplateControls)
      if (std::find(placed_.begin(), placed_.end(), id) == placed_.end())
        if (HWND item = GetDlgItem(dialog_, id)) ShowWindow(item, SW_HIDE);
    place(IDOK, width - kMargin - kButtonWidth, height, kButtonWidth, kButtonHeight);
    RECT client{0, 0, width, height + kButtonHeight + kMargin};
    MapDialogRect(dialog_, &client);
    DWORD style = static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog_, GWL_EXSTYLE));
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
    SetWindowPos(dialog_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  HWND dialog_;
  std::vector<int> placed_;
};

int textHeight(size_t lines) { return static_cast<int>(std::max<size_t>(lines, 1)) * kLineHeight + 4; }

struct ViewerState {
  ViewerText view;
};

ViewerState* state(HWND dialog) {
  return reinterpret_cast<ViewerState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// The label control of a block; a label without its own identifier takes the
// first label control no other block uses.
int labelControl(const ViewerText& view, size_t index) {
  if (view.blocks[index].labelId) return view.blocks[index].labelId;
  for (int id = control::kLabel1; id < control::kLabel1 + 5; ++id) {
    bool used = id == view.itemsLabelId && view.hasItems;
    for (const TextBlock& block : view.blocks) used = used || block.labelId == id;
    if (!used) return id;
  }
  return 0;
}

size_t blockLines(const ViewerText& view, size_t index) {
  const TextBlock& block = view.blocks[index];
  size_t lines = std::max(block.labels.size(), block.values.size());
  for (const auto& entry : view.entries)
    if (index < entry.size()) lines = std::max(lines, entry[index].size());
  return lines;
}

void fillValues(HWND dialog, const TextBlock& block, const std::vector<std::string>& values) {
  HWND control = GetDlgItem(dialog, block.valueId);
  if (block.list) {
    SendMessageW(control, LB_RESETCONTENT, 0, 0);
    for (const std::string& value : values)
      SendMessageW(control, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(zrb::win::shiftJisToWide(value).c_str()));
  } else {
    setText(control, joinLines(values));
  }
}

void showEntry(HWND dialog, const ViewerText& view, size_t entry) {
  for (size_t b = 0; b < view.blocks.size(); ++b)
    fillValues(dialog, view.blocks[b],
               entry < view.entries.size() && b < view.entries[entry].size() ? view.entries[entry][b]
                                                                             : std::vector<std::string>());
}

void arrange(HWND dialog, const ViewerText& view) {
  Layout layout(dialog);
  int y = kMargin;
  if (view.layout == cis::Layout::Selector) {
    layout.place(control::kSelectorLabel, kMargin, y + 2, kLabelWidth, kLineHeight);
    layout.place(control::kSelector, kValueX, y, 60, 80);
    y += kButtonHeight + 4;
  }
  bool twoColumns = view.layout == cis::Layout::TwoColumn;
  for (size_t b = 0; b < view.blocks.size(); ++b) {
    const TextBlock& block = view.blocks[b];
    size_t lines = blockLines(view, b);
    int height = block.list ? textHeight(kListLines)
                            : textHeight(twoColumns ? std::min<size_t>(lines, kMaxTwoColumnLines) : lines);
    layout.place(labelControl(view, b), kMargin, y + 2, kLabelWidth, height);
    layout.place(block.valueId, kValueX, y, kValueWidth, height);
    y += height + 4;
  }
  int width = kValueX + kValueWidth + kMargin;
  if (view.hasItems) {
    int height = textHeight(kListLines);
    layout.place(view.itemsLabelId, kMargin, y + 2, kLabelWidth, kLineHeight);
    layout.place(control::kItemList, kValueX, y, kValueWidth, height);
    layout.place(control::kShow, kValueX + kValueWidth + 4, y, kButtonWidth, kButtonHeight);
    width += 4 + kButtonWidth;
    y += height + 4;
  }
  layout.finish(width, y + 2);
  // Only two-column texts scroll; their labels follow the values.
  if (!twoColumns) ShowScrollBar(GetDlgItem(dialog, control::kValue1), SB_VERT, FALSE);
}

void fill(HWND dialog, const ViewerText& view) {
  setText(dialog, view.caption);
  for (size_t b = 0; b < view.blocks.size(); ++b) {
    int label = labelControl(view, b);
    setItemText(dialog, label, joinLines(view.blocks[b].labels));
    EnableWindow(GetDlgItem(dialog, label), view.blocks[b].labelEnabled);
  }
  if (view.layout == cis::Layout::Selector) {
    setItemText(dialog, control::kSelectorLabel, view.selectorLabel);
    HWND selector = GetDlgItem(dialog, control::kSelector);
    for (size_t i = 0; i < view.entries.size(); ++i)
      SendMessageW(
          selector, CB_ADDSTRING, 0,
          reinterpret_cast<LPARAM>(zrb::win::shiftJisToWide(format(sid::kFmtU, unsigned(i + 1))).c_str()));
    SendMessageW(selector, CB_SETCURSEL, 0, 0);
    showEntry(dialog, view, 0);
  } else {
    for (const TextBlock& block : view.blocks) fillValues(dialog, block, block.values);
  }
  if (view.hasItems) {
    setItemText(dialog, view.itemsLabelId, view.itemsLabel);
    setItemText(dialog, control::kShow, text(sid::kViewButton));
    HWND list = GetDlgItem(dialog, control::kItemList);
    for (const SubItem& item : view.items)
      SendMessageW(list, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(zrb::win::shiftJisToWide(item.text).c_str()));
    EnableWindow(GetDlgItem(dialog, control::kShow), FALSE);
    if (view.items.empty()) {
      EnableWindow(list, FALSE);
      EnableWindow(GetDlgItem(dialog, view.itemsLabelId), FALSE);
    }
  }
}

void openPage(HWND dialog, const ViewerText& view) {
  HWND list = GetDlgItem(dialog, control::kItemList);
  LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || static_cast<size_t>(selected) >= view.items.size()) return;
  const Page& page = view.items[static_cast<size_t>(selected)].page;
  std::string labels = joinLines(page.labels), values = joinLines(page.values);
  OneShotPage block{reinterpret_cast<const void*>(static_cast<uintptr_t>(page.dialogId)),
                    page.caption.c_str(), labels.c_str(), values.c_str()};
  DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(page.dialogId), dialog, Dlg_CisOneShot,
                  reinterpret_cast<LPARAM>(&block));
}

}  // namespace

void initViewerDialog(HWND dialog, const CisTupleRecord* record, ViewerBuilder builder) {
  if (state(dialog)) return;  // already set up
  if (!record) {
    EndDialog(dialog, 0);
    return;
  }
  auto owned = std::make_unique<ViewerState>();
  owned->view = builder(*record);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(owned.get()));
  ViewerState* s = owned.release();
  arrange(dialog, s->view);
  fill(dialog, s->view);
  centreOverOwner(dialog);
}

void layoutTwoColumns(HWND dialog, size_t lines) {
  Layout layout(dialog);
  int height = textHeight(std::min<size_t>(lines, kMaxTwoColumnLines));
  layout.place(control::kLabel1, kMargin, kMargin + 2, kLabelWidth, height);
  layout.place(control::kValue1, kValueX, kMargin, kValueWidth, height);
  layout.finish(kValueX + kValueWidth + kMargin, kMargin + height + 6);
}

void syncLabelScroll(HWND dialog) {
  HWND values = GetDlgItem(dialog, control::kValue1), labels = GetDlgItem(dialog, control::kLabel1);
  if (!values || !labels) return;
  LRESULT first = SendMessageW(values, EM_GETFIRSTVISIBLELINE, 0, 0);
  LRESULT count = SendMessageW(values, EM_GETLINECOUNT, 0, 0);
  SendMessageW(labels, EM_LINESCROLL, 0, -count);
  SendMessageW(labels, EM_LINESCROLL, 0, first);
}

INT_PTR viewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, ViewerBuilder builder) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        initViewerDialog(dialog, reinterpret_cast<const CisTupleRecord*>(lParam), builder);
        return TRUE;
      case WM_COMMAND: {
        ViewerState* s = state(dialog);
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
          EndDialog(dialog, 0);
          return TRUE;
        }
        if (!s) return FALSE;
        if (id == control::kValue1 && code == EN_VSCROLL) {
          syncLabelScroll(dialog);
        } else if (code == EN_SETFOCUS && isReadOnlyTextControl(id)) {
          SetFocus(GetDlgItem(dialog, IDOK));
        } else if (id == control::kSelector && code == CBN_SELCHANGE) {
          LRESULT entry = SendMessageW(GetDlgItem(dialog, control::kSelector), CB_GETCURSEL, 0, 0);
          if (entry != CB_ERR) showEntry(dialog, s->view, static_cast<size_t>(entry));
        } else if (id == control::kList1 && code == LBN_SETFOCUS) {
          // The register list of the configuration viewer hands the focus on to the sub-items.
          SetFocus(GetDlgItem(dialog, s->view.hasItems ? control::kItemList : IDOK));
        } else if (id == control::kItemList && code == LBN_SELCHANGE) {
          LRESULT selected = SendMessageW(GetDlgItem(dialog, control::kItemList), LB_GETCURSEL, 0, 0);
          EnableWindow(GetDlgItem(dialog, control::kShow), selected != LB_ERR);
        } else if ((id == control::kShow && code == BN_CLICKED) ||
                   (id == control::kItemList && code == LBN_DBLCLK)) {
          openPage(dialog, s->view);
        }
        return TRUE;
      }
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, control::kValue1)) syncLabelScroll(dialog);
        return FALSE;
      case WM_DESTROY:
        delete state(dialog);
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    }
  } catch (...) {
    EndDialog(dialog, 0);
  }
  return FALSE;
}

}  // namespace cis::win
