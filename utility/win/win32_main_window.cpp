#include "win32_main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "binding/card_manager_binding.h"
#include "card_access.h"
#include "card_window_commands.h"
#include "command_dialogs.h"
#include "dialogs/win32_dialogs.h"
#include "help_choice.h"
#include "image_file_api.h"
#include "result_codes.h"
#include "settings.h"
#include "socket_poll.h"
#include "tessel_ids.h"
#include "texts.h"
#include "win32_card_info_display.h"
#include "win32_card_window.h"
#include "win32_clipboard.h"
#include "win32_dialog_presenter.h"
#include "win32_help_viewer.h"
#include "win32_lamp_panel.h"
#include "win32_module_loader.h"
#include "win32_owners.h"
#include "win32_printer.h"
#include "win32_settings_store.h"
#include "win32_text.h"
#include "win32_toolbar_images.h"
#include "win32_user_messages.h"

namespace tessel::win {

const wchar_t kMainWindowClass[] = L"Tmainwindow";

namespace {

constexpr int kClientWidth = 632;
constexpr int kClientHeight = 445;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollIntervalMs = 2000;
constexpr unsigned kMaxCardWindows = 16;
constexpr int kButtonWidth = 32;
constexpr int kButtonHeight = 31;

// The toolbar's buttons in the order they stand, with image and hint.
struct ToolButtonRow {
  int id;
  ToolImage image;
  uint16_t hint;
  bool needsCardWindow;  // enabled only while a card window is open
};

constexpr ToolButtonRow kToolButtons[] = {
    {IDC_ToolButton1, ToolImage::Open, sid::kHintOpen, false},
    {IDC_ToolButton2, ToolImage::Close, sid::kHintClose, true},
    {IDC_ToolButton4, ToolImage::FileToCard, sid::kHintFileToCard, true},
    {IDC_ToolButton5, ToolImage::CardToFile, sid::kHintCardToFile, true},
    {IDC_ToolButton6, ToolImage::Erase, sid::kHintErase, true},
    {IDC_ToolButton7, ToolImage::EraseCheck, sid::kHintEraseCheck, true},
    {IDC_ToolButton8, ToolImage::Compare, sid::kHintCompare, true},
    {IDC_ToolButton9, ToolImage::CardInfo, sid::kHintCardInfo, true},
    {IDC_ToolButton10, ToolImage::Jump, sid::kHintJump, true},
    {IDC_ToolButton11, ToolImage::Search, sid::kHintSearch, true},
    {IDC_ToolButton12, ToolImage::SearchForward, sid::kHintSearchForward, true},
    {IDC_ToolButton13, ToolImage::SearchBackward, sid::kHintSearchBackward, true},
    {IDC_ToolButton14, ToolImage::Help, sid::kHintHelp, false},
    {IDC_ToolButton3, ToolImage::Exit, sid::kHintExit, false},
};

std::wstring wideText(uint16_t id) { return zrb::win::utf8ToWide(text(id)); }

std::string programPath() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return zrb::win::wideToUtf8(path);
}

bool fileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(zrb::win::utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

class MainWindow final : public CardWindowHost {
 public:
  explicit MainWindow(HINSTANCE instance) : instance_(instance) {}
  ~MainWindow() override { destroyDumpMenu(dumpMenu_); }
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  bool create(int show);
  HWND frame() const { return frame_; }
  HWND client() const { return client_; }

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // CardWindowHost: what the card windows ask of the frame.
  bool flashEditChecked() override { return flashEdit_; }
  bool ataEditChecked() override { return ataEdit_; }
  bool progressActive() override { return gages_ && gages_->active(); }
  bool ntVersion5() override;
  bool askAddress(std::string& text) override { return showInputBox(frame_, text); }
  bool askOpenCard() override { return showOpenDialog(frame_, access_); }
  void activateNeighbour(bool next) override;
  void runCommand(WindowCommand command) override;

 private:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createChildren();
  void formCreate();
  void layout();
  void command(int id);
  void openClick();
  void timerTick();
  void allCloseClick();
  void cardWindowClosing(HWND closing);
  void forwardToCardWindow(int id);
  void appActivate(bool active);
  void chooseListColour(ListColourRole role);
  void envSetClick();
  void toggleCheck(int id, bool& flag);
  void formClose();
  void endSession();
  bool queryEndSession();

  void setOpenEnabled(bool enabled);
  void setCardButtonsEnabled(bool enabled);
  std::vector<HWND> cardWindows() const;
  HWND activeCardWindow() const;
  const wchar_t* hintFor(int id);

  HINSTANCE instance_;
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
  HWND toolbar_ = nullptr;
  MessageBoxes messages_;
  zrb::win::Win32ModuleLoader loader_;
  cardservice::CardManagerBinding binding_{loader_};
  CardAccess access_{binding_, messages_};
  RegistrySettingsStore store_;
  ListColours colours_;
  std::unique_ptr<HelpViewer> help_;
  std::unique_ptr<Gages> gages_;
  SystemFileProbe fileProbe_;
  CommandDialogs dialogs_{access_, fileProbe_};
  std::unique_ptr<Win32DialogPresenter> presenter_;
  SharedCommandState sharedCommandState_;
  std::unique_ptr<Win32Clipboard> clipboard_;
  std::unique_ptr<Win32Printer> printer_;
  std::unique_ptr<Win32CardInfoDisplay> cardInfo_;
  std::unique_ptr<CommandServices> commandServices_;
  HMENU frameMenu_ = nullptr;
  HMENU dumpMenu_ = nullptr;
  CardWindowContext cardContext_;
  LampPanel lamps_;
  UniqueImageList images_;
  std::array<std::wstring, std::size(kToolButtons)> hints_;
  bool polling_ = false;
  bool flashEdit_ = false;
  bool ataEdit_ = false;
  bool closed_ = false;
  bool dialogsLoaded_ = false;  // the file dialogs' values are saved at the end only once loaded
};

bool MainWindow::create(int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &MainWindow::windowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_Tessel));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (!RegisterClassW(&windowClass) || !registerCardWindowClass(instance_)) return false;

  HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MainMenu1));
  frameMenu_ = menu;
  dumpMenu_ = loadDumpMenu(instance_, menu);
  DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT bounds{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&bounds, style, TRUE);
  int width = bounds.right - bounds.left;
  int height = bounds.bottom - bounds.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  std::wstring caption = wideText(sid::kAppTitle);
  frame_ = CreateWindowExW(0, kMainWindowClass, caption.c_str(), style, x, y, width, height, nullptr, menu,
                           instance_, this);
  if (!frame_) return false;
  ShowWindow(frame_, show);
  UpdateWindow(frame_);
  formCreate();
  return true;
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->frame_ = window;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefFrameProcW(window, nullptr, message, wParam, lParam);
  // Nothing may escape into the system's dispatcher.
  try {
    return self->handle(message, wParam, lParam);
  } catch (...) {
    return DefFrameProcW(window, self->client_, message, wParam, lParam);
  }
}

void MainWindow::createChildren() {
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, 0, 0,
                             0, 0, frame_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ToolBar1)),
                             instance_, nullptr);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  images_.reset(createToolImages());
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(kToolImageSize, kToolImageSize));
  std::vector<TBBUTTON> buttons;
  for (const ToolButtonRow& row : kToolButtons) {
    TBBUTTON button{};
    button.iBitmap = static_cast<int>(row.image);
    button.idCommand = row.id;
    button.fsState = row.needsCardWindow ? 0 : TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    buttons.push_back(button);
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kButtonWidth, kButtonHeight));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  lamps_.create(toolbar_, 0, 3);

  CLIENTCREATESTRUCT clientCreate{};
  clientCreate.hWindowMenu = GetSubMenu(frameMenu_, MENU_POS_WINDOW);
  clientCreate.idFirstChild = IDC_FirstCardWindow;
  // All child styles: a card window has a fixed border and no maximise box.
  client_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                      0, 0, 0, 0, frame_, nullptr, instance_, &clientCreate);
  cardContext_.access = &access_;
  cardContext_.host = this;
  cardContext_.colours = &colours_;
  cardContext_.frameMenu = frameMenu_;
  cardContext_.dumpMenu = dumpMenu_;
  cardContext_.windowMenu = GetSubMenu(frameMenu_, MENU_POS_WINDOW);
}

void MainWindow::layout() {
  RECT area;
  GetClientRect(frame_, &area);
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  RECT bar;
  GetWindowRect(toolbar_, &bar);
  int barHeight = bar.bottom - bar.top;
  lamps_.moveTo(area.right - LampPanel::kWidth - 4, (barHeight - LampPanel::kHeight) / 2);
  MoveWindow(client_, 0, barHeight, area.right, area.bottom - barHeight, TRUE);
}

void MainWindow::formCreate() {
  help_ = std::make_unique<HelpViewer>(chooseHelp(programPath(), &fileExists));
  messages_.setOwner(frame_);
  gages_ = std::make_unique<Gages>(frame_);
  presenter_ = std::make_unique<Win32DialogPresenter>(frame_, messages_);
  clipboard_ = std::make_unique<Win32Clipboard>(frame_);
  printer_ = std::make_unique<Win32Printer>(frame_);
  cardInfo_ = std::make_unique<Win32CardInfoDisplay>(frame_);
  commandServices_ = std::make_unique<CommandServices>(
      CommandServices{access_, dialogs_, *presenter_, *gages_, messages_, imageFileApi(), sharedCommandState_,
                      *clipboard_, *printer_, *cardInfo_});
  cardContext_.commands = commandServices_.get();
  setOpenEnabled(false);
  if (!access_.bindCardService()) {
    messages_.showOk(text(sid::kNoCardManager));
    EnableMenuItem(frameMenu_, MENU_POS_WINDOW, MF_BYPOSITION | MF_GRAYED);
    DrawMenuBar(frame_);
    return;
  }
  SocketTable& sockets = access_.sockets();
  sockets.info.assign(sockets.count, SocketInfo{});
  for (unsigned socket = 0; socket < sockets.count; ++socket) {
    sockets.state[socket] = 0;
    sockets.selectedRegion[socket] = 0;
    unsigned category = sockets.category[socket];
    lamps_.showSocket(socket,
                      wideText(static_cast<uint16_t>(sid::kCategory0 + (category < 16 ? category : 0))));
  }
  access_.selection() = CurrentSelection{};

  colours_ = loadListColours(store_, messages_);
  sockets.settings = loadSocketSettings(store_, messages_);
  dialogs_.load(store_);
  dialogsLoaded_ = true;
  // Sockets the manager does not have answer 11, which is of no concern here.
  for (unsigned socket = 0; socket < kShownSockets; ++socket)
    access_.cardSocketOptions(static_cast<uint8_t>(socket), socketOptionByte(sockets.settings[socket]));

  polling_ = SetTimer(frame_, kPollTimer, kPollIntervalMs, nullptr) != 0;
  timerTick();
}

void MainWindow::timerTick() {
  if (!access_.bound() || access_.sockets().info.empty()) return;
  PollOutcome outcome = pollSockets(access_);
  std::vector<HWND> windows = cardWindows();
  for (const SocketChange& change : outcome.changes) {
    lamps_.setColour(change.socket, lampColour(lampFor(change.status)));
    for (HWND window : windows) SendMessageW(window, kUpdateSocketLamps, change.socket, change.status);
  }
  setOpenEnabled(outcome.openEnabled);
}

void MainWindow::setOpenEnabled(bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, IDC_ToolButton1, MAKELPARAM(enabled ? TRUE : FALSE, 0));
  // Both bars carry "開く(&O)": the frame's and the card windows'.
  for (HMENU menu : {frameMenu_, dumpMenu_})
    EnableMenuItem(menu, IDM_OpenO1, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::setCardButtonsEnabled(bool enabled) {
  for (const ToolButtonRow& row : kToolButtons)
    if (row.needsCardWindow)
      SendMessageW(toolbar_, TB_ENABLEBUTTON, row.id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

std::vector<HWND> MainWindow::cardWindows() const {
  std::vector<HWND> windows;
  if (!client_) return windows;
  for (HWND child = GetWindow(client_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (std::wstring(className) == kCardWindowClass) windows.push_back(child);
  }
  return windows;
}

HWND MainWindow::activeCardWindow() const {
  for (HWND window : cardWindows())
    if (SendMessageW(window, kIsActiveCardWindow, 0, 0) != 0) return window;
  return nullptr;
}

void MainWindow::openClick() {
  if (cardWindows().size() >= kMaxCardWindows) {
    access_.showCardError(R_TOO_MANY_WINDOWS);
    return;
  }
  if (!showOpenDialog(frame_, access_)) return;
  uint16_t socket = access_.selection().socket;
  if (socket >= kShownSockets || !cardPresent(access_.sockets().state[socket])) {
    access_.showCardError(R_NO_USABLE_CARD);
    return;
  }
  if (createCardWindow(client_, cardContext_) && cardWindows().size() == 1) setCardButtonsEnabled(true);
}

void MainWindow::cardWindowClosing(HWND closing) {
  std::vector<HWND> windows = cardWindows();
  if (windows.size() == 1 && windows[0] == closing) setCardButtonsEnabled(false);
}

void MainWindow::allCloseClick() {
  std::vector<HWND> windows = cardWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) SendMessageW(*it, WM_CLOSE, 0, 0);
  setCardButtonsEnabled(false);
}

void MainWindow::forwardToCardWindow(int id) {
  if (HWND window = activeCardWindow()) {
    if (id == IDC_ToolButton2)
      SendMessageW(window, WM_CLOSE, 0, 0);
    else
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  }
}

void MainWindow::appActivate(bool active) {
  if (!active) return;
  if (HWND window = activeCardWindow()) PostMessageW(window, kActivateCardWindow, 0, 0);
}

bool MainWindow::ntVersion5() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5;
}

void MainWindow::activateNeighbour(bool next) {
  auto active = reinterpret_cast<HWND>(SendMessageW(client_, WM_MDIGETACTIVE, 0, 0));
  if (active) SendMessageW(client_, WM_MDINEXT, reinterpret_cast<WPARAM>(active), next ? 0 : 1);
}

void MainWindow::runCommand(WindowCommand command) {
  if (command == WindowCommand::Help) {
    help_->show(frame_);
    return;
  }
  // The keys of the long commands become the window's menu items, posted so
  // that the command starts after the key's own handling has ended.
  static constexpr std::pair<WindowCommand, int> kKeyCommands[] = {
      {WindowCommand::Fill, IDM_FillClick},          {WindowCommand::Move, IDM_MoveClick},
      {WindowCommand::CompareFile, IDM_CompClick},   {WindowCommand::Search, IDM_SearchClick},
      {WindowCommand::SearchDown, IDM_FsearchClick}, {WindowCommand::SearchUp, IDM_BSearchClick},
      {WindowCommand::Copy, IDM_CopyC1Click},        {WindowCommand::Paste, IDM_PasteP1Click},
  };
  for (const auto& [key, id] : kKeyCommands)
    if (key == command) {
      if (HWND window = activeCardWindow()) PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      return;
    }
}

void MainWindow::chooseListColour(ListColourRole role) {
  static COLORREF customColours[16] = {};
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = frame_;
  choose.rgbResult = role == ListColourRole::Text ? colours_.text : colours_.background;
  choose.lpCustColors = customColours;
  choose.Flags = CC_RGBINIT;
  if (!ChooseColorW(&choose)) return;
  (role == ListColourRole::Text ? colours_.text : colours_.background) = choose.rgbResult;
  storeListColour(store_, messages_, role, choose.rgbResult);
  // The lists are child windows: they must repaint too.
  for (HWND window : cardWindows())
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::envSetClick() {
  uint16_t socket = access_.selection().socket;
  EnvSetDialogModel model(access_.sockets(), socket);
  if (!showEnvSetDialog(frame_, model, messages_)) return;
  unsigned chosen = model.socket();
  if (chosen >= kShownSockets) return;
  storeSocketSettings(store_, messages_, chosen, model.working());
  access_.sockets().settings[chosen] = model.working();
}

void MainWindow::toggleCheck(int id, bool& flag) {
  flag = !flag;
  // The option menu is shared by both bars.
  CheckMenuItem(frameMenu_, id, MF_BYCOMMAND | (flag ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::command(int id) {
  switch (id) {
    case IDM_OpenO1:
    case IDC_ToolButton1:
      openClick();
      break;
    case IDM_Exit1:
    case IDC_ToolButton3:
      PostMessageW(frame_, WM_CLOSE, 0, 0);
      break;
    case IDM_Pile:
      SendMessageW(client_, WM_MDICASCADE, 0, 0);
      break;
    case IDM_Holizn:
      SendMessageW(client_, WM_MDITILE, MDITILE_VERTICAL, 0);
      break;
    case IDM_Vertical:
      SendMessageW(client_, WM_MDITILE, MDITILE_HORIZONTAL, 0);
      break;
    case IDM_Adjust:
      SendMessageW(client_, WM_MDIICONARRANGE, 0, 0);
      break;
    case IDM_AllClose:
      allCloseClick();
      break;
    case IDM_FontCChange:
      chooseListColour(ListColourRole::Text);
      break;
    case IDM_ListCChange:
      chooseListColour(ListColourRole::Background);
      break;
    case IDM_FlashEdit:
      toggleCheck(id, flashEdit_);
      break;
    case IDM_AtaEdit:
      toggleCheck(id, ataEdit_);
      break;
    case IDM_EnvSet:
      envSetClick();
      break;
    case IDM_TopicT1:
    case IDC_ToolButton14:
      help_->show(frame_);
      break;
    case IDM_Verdisp:
      showVersionDialog(frame_);
      break;
    default:
      // The toolbar's card buttons and the card window's own menu items
      // (its menu bar is the frame's while it is active).
      if ((id >= IDC_ToolButton2 && id <= IDC_ToolButton13 && id != IDC_ToolButton3) ||
          (id >= IDM_CloseC1 && id <= IDM_DeviceD1Click))
        forwardToCardWindow(id);
      break;
  }
}

const wchar_t* MainWindow::hintFor(int id) {
  for (std::size_t index = 0; index < std::size(kToolButtons); ++index) {
    if (kToolButtons[index].id != id) continue;
    if (hints_[index].empty()) hints_[index] = wideText(kToolButtons[index].hint);
    return hints_[index].c_str();
  }
  return L"";
}

void MainWindow::formClose() {
  if (closed_) return;
  closed_ = true;
  if (!access_.sockets().info.empty()) {
    allCloseClick();
    // The frame's own bar again, so that the window destroys that one and
    // the card windows' bar (which shares its menus) is destroyed once.
    SendMessageW(client_, WM_MDISETMENU, reinterpret_cast<WPARAM>(frameMenu_),
                 reinterpret_cast<LPARAM>(cardContext_.windowMenu));
    KillTimer(frame_, kPollTimer);
    access_.sockets().info.clear();
    access_.unbindCardService();
  }
  if (dialogsLoaded_) dialogs_.save(store_);
  if (help_) help_->close();
}

bool MainWindow::queryEndSession() {
  // Cached ATA writes go to the cards now, while the logoff can still be
  // called off; a card that refuses is reported, not silently dropped.
  SocketTable& sockets = access_.sockets();
  for (uint8_t socket = 0; socket < sockets.info.size(); ++socket) {
    if (!cardUsable(sockets.state[socket])) continue;
    uint16_t result = access_.cardFlush(socket);
    if (result != R_SUCCESS && result != cardservice::CS_NOT_SUPPORTED) access_.showCardError(result);
  }
  return true;
}

void MainWindow::endSession() {
  // Only once the logon really ends: a cancelled logoff keeps the program whole.
  if (access_.sockets().info.empty()) return;
  KillTimer(frame_, kPollTimer);
  access_.sockets().info.clear();
  access_.unbindCardService();
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createChildren();
      return 0;
    case WM_SIZE:
      layout();
      return 0;
    case WM_COMMAND:
      if (lParam == 0 || reinterpret_cast<HWND>(lParam) == toolbar_) {
        int id = LOWORD(wParam);
        if (id < IDC_FirstCardWindow) {
          command(id);
          return 0;
        }
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        info->lpszText = const_cast<wchar_t*>(hintFor(static_cast<int>(header->idFrom)));
        return 0;
      }
      break;
    }
    case WM_TIMER:
      if (wParam == kPollTimer) timerTick();
      return 0;
    case WM_ACTIVATEAPP:
      appActivate(wParam != FALSE);
      break;
    case kCardWindowClosing:
      cardWindowClosing(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_CLOSE:
      formClose();
      DestroyWindow(frame_);
      return 0;
    case WM_QUERYENDSESSION:
      return queryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) endSession();
      return 0;
    case WM_DESTROY:
      formClose();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefFrameProcW(frame_, client_, message, wParam, lParam);
}

int runMainWindow(HINSTANCE instance, int show) {
  MainWindow window(instance);
  if (!window.create(show)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TranslateMDISysAccel(window.client(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace tessel::win
