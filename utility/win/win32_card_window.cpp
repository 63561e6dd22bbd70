#include "win32_card_window.h"

#include <commctrl.h>

#include <array>
#include <climits>
#include <memory>
#include <string>

#include "card_window_model.h"
#include "char_list_positions.h"
#include "page_text.h"
#include "tessel_ids.h"
#include "texts.h"
#include "win32_card_window_controls.h"
#include "win32_owners.h"
#include "win32_text.h"

namespace tessel::win {

const wchar_t kCardWindowClass[] = L"Tdumpwindow";

namespace {

using namespace cardwindow;

constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                               WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr unsigned kScrollUnit = 16;  // bytes per scroll bar position

struct KeyRow {
  WPARAM virtualKey;
  Key key;
};
constexpr KeyRow kKeys[] = {
    {VK_LEFT, Key::Left}, {VK_RIGHT, Key::Right},  {VK_UP, Key::Up},
    {VK_DOWN, Key::Down}, {VK_PRIOR, Key::PageUp}, {VK_NEXT, Key::PageDown},
    {VK_HOME, Key::Home}, {VK_END, Key::End},      {VK_SPACE, Key::Space},
    {VK_F1, Key::F1},     {VK_F2, Key::F2},        {VK_F3, Key::F3},
    {VK_F4, Key::F4},     {VK_F5, Key::F5},        {VK_F6, Key::F6},
    {VK_F7, Key::F7},     {VK_F8, Key::F8},        {'C', Key::C},
    {'V', Key::V},        {'W', Key::W},
};

// The menu items and toolbar buttons of the window's commands. The toolbar's
// erase button also closes a window whose card is gone after the erase.
struct CommandRow {
  int id;
  CardCommand command;
};
constexpr CommandRow kCommands[] = {
    {IDM_ReadClick, CardCommand::CardToFile},
    {IDC_ToolButton5, CardCommand::CardToFile},
    {IDM_WriteClick, CardCommand::FileToCard},
    {IDC_ToolButton4, CardCommand::FileToCard},
    {IDM_CompClick, CardCommand::CompareFile},
    {IDC_ToolButton8, CardCommand::CompareFile},
    {IDM_EraseClick, CardCommand::Erase},
    {IDC_ToolButton6, CardCommand::Erase},
    {IDM_EraseCheckClick, CardCommand::EraseCheck},
    {IDC_ToolButton7, CardCommand::EraseCheck},
    {IDM_FillClick, CardCommand::Fill},
    {IDM_MoveClick, CardCommand::Move},
    {IDM_CardCopyClick, CardCommand::CardCopy},
    {IDM_CardCompClick, CardCommand::CardCompare},
    {IDM_SearchClick, CardCommand::Search},
    {IDC_ToolButton11, CardCommand::Search},
    {IDM_FsearchClick, CardCommand::SearchDown},
    {IDC_ToolButton12, CardCommand::SearchDown},
    {IDM_BSearchClick, CardCommand::SearchUp},
    {IDC_ToolButton13, CardCommand::SearchUp},
    {IDM_CopyC1Click, CardCommand::Copy},
    {IDM_PasteP1Click, CardCommand::Paste},
    {IDM_PrintClick, CardCommand::Print},
    {IDM_CardInformationClick, CardCommand::CardInformation},
    {IDC_ToolButton9, CardCommand::CardInformation},
    {IDM_DeviceD1Click, CardCommand::DeviceType},
};

struct ScrollRow {
  WORD request;
  ScrollCode code;
};
constexpr ScrollRow kScrollCodes[] = {
    {SB_LINEUP, ScrollCode::LineUp},
    {SB_LINEDOWN, ScrollCode::LineDown},
    {SB_PAGEUP, ScrollCode::PageUp},
    {SB_PAGEDOWN, ScrollCode::PageDown},
    {SB_THUMBPOSITION, ScrollCode::ThumbPosition},
    {SB_THUMBTRACK, ScrollCode::ThumbTrack},
    {SB_TOP, ScrollCode::Top},
    {SB_BOTTOM, ScrollCode::Bottom},
};

std::wstring wide(std::string_view utf8) { return zrb::win::utf8ToWide(utf8); }

// An edit's selection [start, end) in its own units.
std::pair<unsigned, unsigned> selectionOf(HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<unsigned>(start), static_cast<unsigned>(end)};
}
std::wstring fromShiftJis(std::string_view bytes) { return zrb::win::shiftJisToWide(bytes); }

// Splits a list's text at its CR LF line ends.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  unsigned k = 0;
  for (;;) {
    std::size_t end = text.find("\r\n");
    visit(k++, text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 2);
  }
}

class CardWindow final : public CardWindowView, public ListSelections {
 public:
  CardWindow(HWND window, const CardWindowContext& context) : window_(window), context_(context) {}

  bool create();
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK listProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

  // CardWindowView
  void setCaption(std::string_view text) override { SetWindowTextW(window_, wide(text).c_str()); }
  void setStatus(std::string_view text) override {
    SendMessageW(controls_.status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
  }
  void setLamps(const LampColours& lamps) override;
  void showPage(const PageText& text) override;
  void insertTopLine(const LineText& line) override;
  void appendBottomLine(const LineText& line) override;
  void replaceLine(unsigned k, const LineText& line) override;
  void clearAddressesAndChars() override;
  void setCarets(const Carets& carets) override;
  void setScrollRange(uint32_t maximum) override;
  void setScrollPosition(uint32_t position) override;
  void minimise() override { PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0); }
  void requestClose() override { PostMessageW(window_, WM_CLOSE, 0, 0); }

  // ListSelections, in the model's positions.
  ListSelection dumpSelection() override;
  ListSelection charSelection() override;
  void clearSelections() override;

 private:
  // Every call into the model goes through here. A close that arrives while
  // the model is at work (its message box lets the poll run) waits until
  // the model has returned, so that the model is never freed under itself.
  template <typename Call>
  void drive(Call call) {
    ++depth_;
    try {
      if (model_) call(*model_);
    } catch (...) {
      // Nothing may leave a window procedure; the model shows its own errors.
    }
    if (--depth_ == 0 && closeDeferred_) {
      closeDeferred_ = false;
      PostMessageW(window_, WM_CLOSE, 0, 0);
    }
  }

  LRESULT handleList(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  bool listKeyDown(ListId list, WPARAM virtualKey);
  void showPopup(HWND edit, LPARAM where);
  void command(int id);
  void runCommand(int id);
  void scroll(WORD request);
  void close();
  void mdiActivate(HWND activated);
  HBRUSH listColours(HDC dc, HWND control);
  unsigned caretOf(ListId list) const;
  void setCharLines(const std::array<std::string, kPageLines>& lines);

  HWND window_;
  CardWindowContext context_;
  Controls controls_;
  zrb::win::UniqueGdiObject listFont_;
  zrb::win::UniqueGdiObject labelFont_;
  zrb::win::UniqueGdiObject listBrush_;
  COLORREF brushColour_ = 0;
  zrb::win::UniqueMenu addrMenu_;
  zrb::win::UniqueMenu dumpPopup_;
  std::unique_ptr<CardWindowCommands> commands_;
  WNDPROC editProc_ = nullptr;
  HWND lastList_ = nullptr;
  std::array<std::string, kPageLines> charLines_;
  CharListPositions charPositions_;
  std::unique_ptr<CardWindowModel> model_;
  unsigned depth_ = 0;
  bool closeDeferred_ = false;
  bool closing_ = false;
  bool active_ = false;
};

bool CardWindow::create() {
  listFont_.reset(createListFont(window_));
  labelFont_.reset(createLabelFont());
  controls_ =
      createControls(window_, static_cast<HFONT>(listFont_.get()), static_cast<HFONT>(labelFont_.get()));
  for (HWND edit : {controls_.addresses, controls_.dump, controls_.chars}) {
    if (!edit) return false;
    SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CardWindow::listProc)));
  }
  lastList_ = controls_.dump;

  // AddrMenu: "指定行へ" and the edit menu's moves to the top and the end.
  addrMenu_.reset(CreatePopupMenu());
  AppendMenuW(addrMenu_.get(), MF_STRING, IDM_AddrGoto, wide(text(sid::kAddrGotoItem)).c_str());
  HMENU editMenu = GetSubMenu(context_.dumpMenu, DUMP_MENU_POS_EDIT);
  for (UINT id : {IDM_AddrTopIn, IDM_AddrBottomIn}) {
    wchar_t item[64] = {};
    GetMenuStringW(editMenu, id, item, 64, MF_BYCOMMAND);
    AppendMenuW(addrMenu_.get(), MF_STRING, id, item);
  }

  dumpPopup_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_DumpPopupMenu)));

  // The model may already ask to close (a card that is not usable): that
  // request is posted and comes after the creation.
  ++depth_;
  try {
    model_ = std::make_unique<CardWindowModel>(*context_.access, *context_.host, *this);
    if (context_.commands)
      commands_ = std::make_unique<CardWindowCommands>(*model_, *context_.commands, *this);
  } catch (...) {
  }
  --depth_;
  return model_ != nullptr;
}

void CardWindow::setLamps(const LampColours& lamps) {
  setLampColour(controls_.cardLamp, lamps.card);
  setLampColour(controls_.protectLamp, lamps.protect);
  setLampColour(controls_.batteryLamp, lamps.battery);
  EnableWindow(controls_.batteryLamp, lamps.batteryEnabled);
  EnableWindow(controls_.batteryLabel, lamps.batteryEnabled);
}

void CardWindow::setCharLines(const std::array<std::string, kPageLines>& lines) {
  charLines_ = lines;
  for (unsigned k = 0; k < kPageLines; ++k) charPositions_.setLine(k, charLines_[k]);
}

void CardWindow::showPage(const PageText& page) {
  SetWindowTextW(controls_.addresses, wide(page.addresses).c_str());
  SetWindowTextW(controls_.dump, wide(page.dump).c_str());
  // Each line on its own: a double-byte character never spans two lines,
  // and the positions map counts the lines the same way.
  std::array<std::string, kPageLines> lines;
  std::wstring chars;
  forEachLine(page.chars, [&](unsigned k, std::string_view line) {
    if (k >= kPageLines) return;
    lines[k] = std::string(line);
    if (k > 0) chars += L"\r\n";
    chars += fromShiftJis(line);
  });
  setCharLines(lines);
  SetWindowTextW(controls_.chars, chars.c_str());
}

void CardWindow::insertTopLine(const LineText& line) {
  insertFirstLine(controls_.addresses, wide(line.address));
  insertFirstLine(controls_.dump, wide(line.dump));
  insertFirstLine(controls_.chars, fromShiftJis(line.chars));
  std::array<std::string, kPageLines> lines;
  lines[0] = line.chars;
  for (unsigned k = 1; k < kPageLines; ++k) lines[k] = charLines_[k - 1];
  setCharLines(lines);
}

void CardWindow::appendBottomLine(const LineText& line) {
  appendLastLine(controls_.addresses, wide(line.address));
  appendLastLine(controls_.dump, wide(line.dump));
  appendLastLine(controls_.chars, fromShiftJis(line.chars));
  std::array<std::string, kPageLines> lines;
  for (unsigned k = 0; k + 1 < kPageLines; ++k) lines[k] = charLines_[k + 1];
  lines[kPageLines - 1] = line.chars;
  setCharLines(lines);
}

void CardWindow::replaceLine(unsigned k, const LineText& line) {
  if (k >= kPageLines) return;
  cardwindow::replaceLine(controls_.addresses, k, wide(line.address));
  cardwindow::replaceLine(controls_.dump, k, wide(line.dump));
  cardwindow::replaceLine(controls_.chars, k, fromShiftJis(line.chars));
  std::array<std::string, kPageLines> lines = charLines_;
  lines[k] = line.chars;
  setCharLines(lines);
}

void CardWindow::clearAddressesAndChars() {
  SetWindowTextW(controls_.addresses, L"");
  SetWindowTextW(controls_.chars, L"");
  charLines_ = {};
  charPositions_.clear();
}

void CardWindow::setCarets(const Carets& carets) {
  placeCaret(controls_.dump, carets.dump);
  placeCaret(controls_.chars, charPositions_.place(carets.chars));
}

void CardWindow::setScrollRange(uint32_t maximum) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE;
  info.nMin = 0;
  info.nMax = maximum > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(maximum);
  SetScrollInfo(controls_.scrollBar, SB_CTL, &info, TRUE);
}

void CardWindow::setScrollPosition(uint32_t position) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = position > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(position);
  SetScrollInfo(controls_.scrollBar, SB_CTL, &info, TRUE);
}

// The hexadecimal list is plain ASCII: its units are the model's positions.
ListSelection CardWindow::dumpSelection() {
  auto [start, end] = selectionOf(controls_.dump);
  return ListSelection{start, end};
}

// The character list counts UTF-16 units; the model counts the card's bytes.
ListSelection CardWindow::charSelection() {
  auto [start, end] = selectionOf(controls_.chars);
  if (start == end) return {};
  return ListSelection{charPositions_.toBytes(start), charPositions_.toBytes(end)};
}

void CardWindow::clearSelections() {
  for (HWND list : {controls_.dump, controls_.chars}) {
    auto [start, end] = selectionOf(list);
    if (start != end) SendMessageW(list, EM_SETSEL, start, start);
  }
}

unsigned CardWindow::caretOf(ListId list) const {
  if (list == ListId::Dump) return cardwindow::caretOf(controls_.dump);
  return charPositions_.caretAt(cardwindow::caretOf(controls_.chars));
}

bool CardWindow::listKeyDown(ListId list, WPARAM virtualKey) {
  for (const KeyRow& row : kKeys) {
    if (row.virtualKey != virtualKey) continue;
    Modifiers modifiers;
    modifiers.shift = GetKeyState(VK_SHIFT) < 0;
    modifiers.ctrl = GetKeyState(VK_CONTROL) < 0;
    modifiers.alt = GetKeyState(VK_MENU) < 0;
    unsigned caret = caretOf(list);
    bool handled = false;
    drive([&](CardWindowModel& model) { handled = model.keyDown(list, row.key, modifiers, caret); });
    return handled;
  }
  return false;
}

void CardWindow::showPopup(HWND edit, LPARAM where) {
  POINT point{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == -1) {  // from the keyboard: at the list's corner
    point = {0, 0};
    ClientToScreen(edit, &point);
  }
  HMENU menu = edit == controls_.addresses ? addrMenu_.get() : GetSubMenu(dumpPopup_.get(), 0);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, window_, nullptr);
}

LRESULT CardWindow::handleList(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  bool addresses = edit == controls_.addresses;
  ListId list = edit == controls_.dump ? ListId::Dump : ListId::Chars;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // The model moves the caret itself; the edit must not move it again.
      if (!addresses && listKeyDown(list, wParam)) return 0;
      break;
    case WM_CHAR:
      // Typing goes to the model only: the lists are never edited as text.
      if (!addresses && wParam < 0x80) {
        unsigned caret = caretOf(list);
        drive([&](CardWindowModel& model) { model.keyPress(list, static_cast<uint8_t>(wParam), caret); });
      }
      return 0;
    case WM_LBUTTONUP: {
      LRESULT result = CallWindowProcW(editProc_, edit, message, wParam, lParam);
      if (!addresses) {
        unsigned units = cardwindow::caretOf(edit);
        // A click is a new place: converted afresh, not taken for the caret the model put there.
        unsigned caret = list == ListId::Dump ? units : charPositions_.toBytes(units);
        auto [start, end] = selectionOf(edit);
        drive([&](CardWindowModel& model) { model.click(list, caret); });
        // A drag selected text to copy: the model's caret placement must not undo it.
        if (start != end) SendMessageW(edit, EM_SETSEL, start, end);
      }
      return result;
    }
    case WM_CONTEXTMENU:
      showPopup(edit, lParam);
      return 0;
    case WM_SETFOCUS:
      if (!addresses) lastList_ = edit;
      break;
    case WM_SETCURSOR:
      if (addresses) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return CallWindowProcW(editProc_, edit, message, wParam, lParam);
}

void CardWindow::command(int id) {
  switch (id) {
    case IDM_CloseC1:
    case IDC_ToolButton2:
      PostMessageW(window_, WM_CLOSE, 0, 0);
      break;
    case IDM_AddrGoto:
    case IDC_ToolButton10:
      drive([](CardWindowModel& model) { model.jump(); });
      break;
    case IDM_AddrTopIn:
      drive([](CardWindowModel& model) { model.toTop(); });
      break;
    case IDM_AddrBottomIn:
      drive([](CardWindowModel& model) { model.toBottom(); });
      break;
    case IDM_FirstRead:
      drive([](CardWindowModel& model) { model.firstRead(); });
      break;
    case IDM_PopSet:
      drive([](CardWindowModel& model) { model.popSet(); });
      break;
    default:
      runCommand(id);
      break;
  }
}

void CardWindow::runCommand(int id) {
  for (const CommandRow& row : kCommands) {
    if (row.id != id) continue;
    if (!commands_) return;
    drive([&](CardWindowModel&) { commands_->run(row.command); });
    if (id == IDC_ToolButton6 && model_ && !closing_) {
      const SocketTable& sockets = context_.access->sockets();
      uint8_t socket = model_->socket();
      if (socket < sockets.state.size() && (sockets.state[socket] & 0x80) == 0)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    return;
  }
}

void CardWindow::scroll(WORD request) {
  for (const ScrollRow& row : kScrollCodes) {
    if (row.request != request) continue;
    // The message carries 16 bits of the thumb; the control has all 32.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(controls_.scrollBar, SB_CTL, &info);
    auto thumb = static_cast<uint32_t>(info.nTrackPos < 0 ? 0 : info.nTrackPos);
    drive([&](CardWindowModel& model) { model.scroll(row.code, thumb); });
    // A scroll bar control does not move its thumb by itself: it shows
    // where the page now starts.
    if (row.code != ScrollCode::ThumbTrack && model_) setScrollPosition(model_->top() / kScrollUnit);
    return;
  }
}

void CardWindow::close() {
  if (depth_ > 0) {
    closeDeferred_ = true;
    return;
  }
  if (closing_) return;
  closing_ = true;
  drive([](CardWindowModel& model) { model.close(); });
  closeDeferred_ = false;
  HWND client = GetParent(window_);
  // The frame learns of it first, so that it can update its toolbar while
  // this window still counts as open.
  SendMessageW(GetParent(client), kCardWindowClosing, reinterpret_cast<WPARAM>(window_), 0);
  // Frees this object (WM_NCDESTROY): nothing of it may be touched after.
  SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window_), 0);
}

void CardWindow::mdiActivate(HWND activated) {
  HWND client = GetParent(window_);
  active_ = activated == window_;
  if (active_) {
    SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(context_.dumpMenu),
                 reinterpret_cast<LPARAM>(context_.windowMenu));
    PostMessageW(window_, kActivateCardWindow, 0, 0);
  } else if (!activated) {
    // The last card window went: the frame's own menus come back.
    SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(context_.frameMenu),
                 reinterpret_cast<LPARAM>(context_.windowMenu));
  }
  DrawMenuBar(GetParent(client));
}

HBRUSH CardWindow::listColours(HDC dc, HWND control) {
  if (control == controls_.addresses) {
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    SetBkColor(dc, GetSysColor(COLOR_MENU));
    return GetSysColorBrush(COLOR_MENU);
  }
  if (control != controls_.dump && control != controls_.chars) return nullptr;
  // The colours are the frame's, read at every paint: a change there shows
  // at the next repaint.
  COLORREF background = context_.colours->background;
  if (!listBrush_ || brushColour_ != background) {
    listBrush_.reset(CreateSolidBrush(background));
    brushColour_ = background;
  }
  SetTextColor(dc, context_.colours->text);
  SetBkColor(dc, background);
  return static_cast<HBRUSH>(listBrush_.get());
}

LRESULT CardWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MDIACTIVATE:
      mdiActivate(reinterpret_cast<HWND>(lParam));
      break;
    case kIsActiveCardWindow:
      return active_ ? 1 : 0;
    case kActivateCardWindow:
      if (active_) drive([](CardWindowModel& model) { model.activate(); });
      return 0;
    case kUpdateSocketLamps:
      drive([&](CardWindowModel& model) {
        model.updateSocketLamps(static_cast<uint8_t>(wParam), static_cast<uint8_t>(lParam));
      });
      return 0;
    case WM_COMMAND:
      if (lParam == 0 || LOWORD(wParam) == IDC_ToolButton2 || LOWORD(wParam) == IDC_ToolButton10) {
        command(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == controls_.scrollBar) scroll(LOWORD(wParam));
      return 0;
    case WM_SETFOCUS:
      SetFocus(lastList_ ? lastList_ : controls_.dump);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = listColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_CLOSE:
      close();
      return 0;
    default:
      break;
  }
  return DefMDIChildProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK CardWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* mdi = reinterpret_cast<MDICREATESTRUCTW*>(create->lpCreateParams);
    auto* context = reinterpret_cast<const CardWindowContext*>(mdi->lParam);
    try {
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new CardWindow(window, *context)));
    } catch (...) {
      return FALSE;
    }
  }
  auto* self = reinterpret_cast<CardWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefMDIChildProcW(window, message, wParam, lParam);
  if (message == WM_CREATE) {
    bool created = false;
    try {
      created = self->create();
    } catch (...) {
    }
    return created ? 0 : -1;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete self;
    return DefMDIChildProcW(window, message, wParam, lParam);
  }
  // Nothing may escape into the system's dispatcher.
  try {
    return self->handle(message, wParam, lParam);
  } catch (...) {
    return DefMDIChildProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK CardWindow::listProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CardWindow*>(GetWindowLongPtrW(edit, GWLP_USERDATA));
  try {
    return self->handleList(edit, message, wParam, lParam);
  } catch (...) {
    return CallWindowProcW(self->editProc_, edit, message, wParam, lParam);
  }
}

}  // namespace

bool registerCardWindowClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &CardWindow::windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_Tessel));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kCardWindowClass;
  return RegisterClassW(&windowClass) != 0 && registerLampClass(instance);
}

HWND createCardWindow(HWND mdiClient, const CardWindowContext& context) {
  RECT bounds{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&bounds, kWindowStyle, FALSE, WS_EX_MDICHILD);
  MDICREATESTRUCTW create{};
  create.szClass = kCardWindowClass;
  create.szTitle = L"";
  create.hOwner = GetModuleHandleW(nullptr);
  create.x = create.y = CW_USEDEFAULT;
  create.cx = bounds.right - bounds.left;
  create.cy = bounds.bottom - bounds.top;
  create.style = kWindowStyle;
  create.lParam = reinterpret_cast<LPARAM>(&context);
  return reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

HMENU loadDumpMenu(HINSTANCE instance, HMENU frameMenu) {
  HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_DumpMainMenu));
  if (!menu) return nullptr;
  int frameItems = GetMenuItemCount(frameMenu);
  for (int position = MENU_POS_WINDOW; position < frameItems; ++position) {
    wchar_t title[64] = {};
    GetMenuStringW(frameMenu, position, title, 64, MF_BYPOSITION);
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(GetSubMenu(frameMenu, position)),
                title);
  }
  return menu;
}

void destroyDumpMenu(HMENU dumpMenu) {
  if (!dumpMenu) return;
  // The shared menus belong to the frame's bar, which destroys them.
  while (GetMenuItemCount(dumpMenu) > DUMP_MENU_POS_SHARED)
    RemoveMenu(dumpMenu, DUMP_MENU_POS_SHARED, MF_BYPOSITION);
  DestroyMenu(dumpMenu);
}

}  // namespace tessel::win
