// The program's help under Wine: tessel.exe started beside its tessel.chm
// (as the build leaves them) starts the HTML Help viewer once, brings that
// viewer back on later requests, and closes it when it ends.
#include "tessel_gui_fixture.h"
// After windows.h, on which they build.
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "dialog_ids.h"
#include "window_shot.h"

namespace tessel::test {
namespace {

struct Viewer {
  HWND window = nullptr;
  DWORD process = 0;
};

BOOL CALLBACK collectViewer(HWND window, LPARAM found) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (std::wstring(className) == L"HH Parent") {
    Viewer viewer{window, 0};
    GetWindowThreadProcessId(window, &viewer.process);
    reinterpret_cast<std::vector<Viewer>*>(found)->push_back(viewer);
  }
  return TRUE;
}

// Every help viewer window on the desktop, whoever started it.
std::vector<Viewer> helpViewers() {
  std::vector<Viewer> viewers;
  EnumWindows(collectViewer, reinterpret_cast<LPARAM>(&viewers));
  return viewers;
}

int viewerProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (lstrcmpiW(entry.szExeFile, L"hh.exe") == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

// The command line another process was started with, read from its
// process parameters.
std::wstring commandLineOf(DWORD id) {
  zrb::win::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!process) return {};
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(process.get(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return {};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  if (!ReadProcessMemory(process.get(), basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
      !ReadProcessMemory(process.get(), peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
    return {};
  std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process.get(), parameters.CommandLine.Buffer, text.data(),
                         parameters.CommandLine.Length, nullptr))
    return {};
  return text;
}

std::wstring lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
  return text;
}

// The full path of `name` beside the deliverables, as the program names it.
std::wstring besideTessel(const char* name) {
  std::string path = zrb::test::deliverableDirectory() + "\\" + name;
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(std::wstring(path.begin(), path.end()).c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::wstring helpFile() { return besideTessel("tessel.chm"); }

// Wine's viewer may still be activating itself just after it shows: asked
// until it holds.
bool putInFront(HWND window) {
  return waitUntil(
      [&] {
        SetForegroundWindow(window);
        Sleep(100);
        return GetForegroundWindow() == window;
      },
      5000);
}

bool inFront(HWND window) {
  return waitUntil([&] { return GetForegroundWindow() == window && !IsIconic(window); }, 10000);
}

// A request for help that must not start another viewer: after it, the one
// viewer is still the only one.
bool stillOneViewer(const Viewer& first) {
  // A second viewer would have shown within this time; none may.
  bool second = waitUntil([] { return helpViewers().size() > 1 || viewerProcesses() > 1; }, 3000);
  std::vector<Viewer> viewers = helpViewers();
  return !second && viewers.size() == 1 && viewers[0].window == first.window && viewerProcesses() == 1;
}

HWND openCardWindow(const TesselProcess& tessel) {
  if (!waitUntil([&] { return buttonEnabled(tessel, IDC_ToolButton1); }, kOnePoll)) return nullptr;
  command(tessel, IDM_OpenO1);
  HWND dialog = tessel.waitForDialog();
  if (!dialog) return nullptr;
  press(dialog, IDC_OKBtn);
  if (!gone(dialog) || !waitUntil([&] { return tessel.cardWindows().size() == 1; }, 5000)) return nullptr;
  return tessel.cardWindows()[0];
}

class TesselHelp : public TesselGui {
 protected:
  void SetUp() override {
    TesselGui::SetUp();
    ASSERT_NE(GetFileAttributesW(helpFile().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the build puts it beside tessel.exe";
    ASSERT_TRUE(helpViewers().empty()) << "no viewer left over from elsewhere";
  }
  // A viewer the program failed to close would outlive the test and, holding
  // the handles it inherited, keep the test's output open: it is closed here.
  void TearDown() override {
    for (const Viewer& viewer : helpViewers()) {
      zrb::win::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, viewer.process));
      PostMessageW(viewer.window, WM_CLOSE, 0, 0);
      if (process && WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    }
    TesselGui::TearDown();
  }
  // The viewer the first request starts.
  Viewer firstViewer(const TesselProcess& tessel) {
    command(tessel, IDM_TopicT1);
    waitUntil([] { return !helpViewers().empty(); }, 15000);
    std::vector<Viewer> viewers = helpViewers();
    return viewers.size() == 1 ? viewers[0] : Viewer{};
  }
};

TEST_F(TesselHelp, TopicStartsOneViewerOnTheHelpFileLaterRequestsBringItBackAndClosingTheProgramClosesIt) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  Viewer viewer = firstViewer(tessel);
  ASSERT_NE(viewer.window, nullptr);
  EXPECT_NE(viewer.process, tessel.id()) << "the viewer is a process of its own";
  EXPECT_EQ(lower(commandLineOf(viewer.process)), lower(L"hh \"" + helpFile() + L"\""));
  EXPECT_EQ(viewerProcesses(), 1);
  zrb::win::UniqueHandle viewerProcess(OpenProcess(SYNCHRONIZE, FALSE, viewer.process));
  ASSERT_TRUE(viewerProcess);
  snapWindow(viewer.window, "help-viewer");

  // The toolbar's help button, with the program in front of the viewer.
  ASSERT_TRUE(putInFront(tessel.frame()));
  command(tessel, IDC_ToolButton14);
  EXPECT_TRUE(inFront(viewer.window));
  EXPECT_TRUE(stillOneViewer(viewer));

  // F1 in a card window, with the viewer minimised.
  HWND card = openCardWindow(tessel);
  ASSERT_NE(card, nullptr);
  PostMessageW(viewer.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(waitUntil([&] { return IsIconic(viewer.window) != FALSE; }, 5000));
  PostMessageW(GetDlgItem(card, IDC_DumpList), WM_KEYDOWN, VK_F1, 0);
  EXPECT_TRUE(inFront(viewer.window)) << "restored and in front";
  EXPECT_TRUE(stillOneViewer(viewer));

  PostMessageW(tessel.frame(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(tessel.waitForExit(15000));
  EXPECT_EQ(WaitForSingleObject(viewerProcess.get(), 10000), WAIT_OBJECT_0)
      << "the viewer ends with the program";
  EXPECT_TRUE(helpViewers().empty());
}

TEST_F(TesselHelp, AViewerTheUserClosedIsStartedAgain) {
  TesselProcess tessel(tesselPath());
  ASSERT_NE(tessel.frame(), nullptr);
  Viewer first = firstViewer(tessel);
  ASSERT_NE(first.window, nullptr);
  zrb::win::UniqueHandle firstProcess(OpenProcess(SYNCHRONIZE, FALSE, first.process));
  PostMessageW(first.window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(firstProcess.get(), 10000), WAIT_OBJECT_0);

  Viewer second = firstViewer(tessel);
  ASSERT_NE(second.window, nullptr);
  EXPECT_NE(second.process, first.process);
  EXPECT_TRUE(inFront(second.window));
}

// A viewer whose window shows only after the program's first look for it
// (Wine's viewer started cold takes about half a second): the program must
// still find it, and bring it back rather than start a second one.
TEST_F(TesselHelp, AViewerSlowToShowItsWindowIsFoundAndNotStartedTwice) {
  zrb::test::ScratchDir folder;
  for (const char* file :
       {"tessel.exe", "tessel.chm", "slothub.dll", "veskci2xs.dll", "hexo32.dll", "tupview32.dll"})
    ASSERT_TRUE(CopyFileW(besideTessel(file).c_str(), (folder.path() / file).wstring().c_str(), FALSE))
        << file;
  std::string slowViewer = zrb::test::executableDirectory() + "\\slow_help_viewer.exe";
  ASSERT_TRUE(CopyFileA(slowViewer.c_str(), (folder.path() / "hh.exe").string().c_str(), FALSE));

  TesselProcess tessel((folder.path() / "tessel.exe").string());
  ASSERT_NE(tessel.frame(), nullptr);
  Viewer viewer = firstViewer(tessel);
  ASSERT_NE(viewer.window, nullptr);
  EXPECT_NE(lower(commandLineOf(viewer.process)).find(L"tessel.chm"), std::wstring::npos);
  zrb::win::UniqueHandle viewerProcess(OpenProcess(SYNCHRONIZE, FALSE, viewer.process));

  ASSERT_TRUE(putInFront(tessel.frame()));
  command(tessel, IDC_ToolButton14);
  EXPECT_TRUE(inFront(viewer.window));
  EXPECT_TRUE(stillOneViewer(viewer));

  PostMessageW(tessel.frame(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(tessel.waitForExit(15000));
  EXPECT_EQ(WaitForSingleObject(viewerProcess.get(), 10000), WAIT_OBJECT_0)
      << "the viewer ends with the program";
}

}  // namespace
}  // namespace tessel::test
