#include "tessel_process.h"

namespace tessel::test {
namespace {

struct FrameSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK matchFrame(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<FrameSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (owner == search->process && std::wstring(className) == L"Tmainwindow") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct DialogSearch {
  DWORD process;
  HWND except;
  const wchar_t* caption;  // any when null
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == search->process && window != search->except && IsWindowVisible(window) &&
      std::wstring(className) == L"#32770" && (!search->caption || windowText(window) == search->caption)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND findFrame(DWORD id) {
  FrameSearch search{id, nullptr};
  EnumWindows(matchFrame, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring windowText(HWND window) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return text;
}

std::wstring messageBoxText(HWND box) {
  // Windows gives the message the identifier 0xFFFF, Wine 100: take the
  // longest static text of the box.
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Static") != 0) continue;
    std::wstring text = windowText(child);
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

TesselProcess::TesselProcess(const std::string& program) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + program + "\"";
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return;
  process_.reset(info.hProcess);
  thread_.reset(info.hThread);
  id_ = info.dwProcessId;
  waitUntil([this] { return (frame_ = findFrame(id_)) != nullptr || waitForExit(0); }, 30000);
}

TesselProcess::~TesselProcess() {
  if (!process_) return;
  if (frame_ && IsWindow(frame_)) PostMessageW(frame_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.get(), 15000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 5000);
}

bool TesselProcess::waitForExit(DWORD ms, DWORD* code) {
  if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return false;
  if (code) GetExitCodeProcess(process_.get(), code);
  return true;
}

HWND TesselProcess::waitForDialog(int ms, HWND except) const { return waitForDialog(nullptr, ms, except); }

HWND TesselProcess::waitForDialog(const wchar_t* caption, int ms, HWND except) const {
  HWND found = nullptr;
  waitUntil(
      [&] {
        DialogSearch search{id_, except, caption, nullptr};
        EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr;
      },
      ms);
  return found;
}

namespace {

BOOL CALLBACK matchId(HWND window, LPARAM data) {
  auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(data);
  if (GetDlgCtrlID(window) == wanted->first) {
    wanted->second = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND TesselProcess::control(int id) const {
  std::pair<int, HWND> wanted{id, nullptr};
  EnumChildWindows(frame_, matchId, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

std::vector<HWND> TesselProcess::cardWindows() const {
  std::vector<HWND> windows;
  HWND client = FindWindowExW(frame_, nullptr, L"MDIClient", nullptr);
  for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (std::wstring(className) == L"Tdumpwindow") windows.push_back(child);
  }
  return windows;
}

}  // namespace tessel::test
