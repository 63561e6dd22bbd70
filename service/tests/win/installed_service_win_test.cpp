// The real service program in the test prefix: installed from its command
// line, started by the service control manager over virtual readers, reached
// by the pipe client of this and of several child processes, stopped and
// removed again.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "win/module_dir.h"
#include "pipe_devices.h"
#include "raw_pipe_client.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"
#include "win32_device_notifier.h"
#include "win32_pipe_transport.h"
#include "win32_service_host.h"

namespace zrb2x::service::test {
namespace {

namespace code = pipe::code;
namespace status = pipe::status;

constexpr char kChildEnv[] = "ZRB_SERVICE_TEST_CHILD";
constexpr char kVirtualKey[] = "Software\\Orvane\\zrb2x";
constexpr char kHeldEvent[] = "zrb2x-test/exchange-held";
constexpr uint32_t kChildSpan = 32768;

std::string serviceProgram() {
  std::string path = zrb::test::deliverableDirectory() + "\\veskcv2xs.exe";
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full) : path;
}

// The service's hidden window lives on the desktop of the service's window
// station; look for it on every window station's default desktop (from a
// thread of its own, which may change desktops) and send it the broadcast a
// device arrival causes.
BOOL CALLBACK collectName(LPSTR name, LPARAM list) {
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(name);
  return TRUE;
}

int sendDeviceChangeToServiceWindows() {
  int reached = 0;
  std::thread([&] {
    std::vector<std::string> stations;
    EnumWindowStationsA(collectName, reinterpret_cast<LPARAM>(&stations));
    HWINSTA original = GetProcessWindowStation();
    for (const std::string& name : stations) {
      HWINSTA station = OpenWindowStationA(name.c_str(), FALSE, WINSTA_ALL_ACCESS);
      if (!station) continue;
      SetProcessWindowStation(station);
      HDESK desktop = OpenDesktopA("Default", 0, FALSE, GENERIC_ALL);
      if (desktop && SetThreadDesktop(desktop)) {
        for (HWND w = FindWindowExA(nullptr, nullptr, win::kNotifierClassName, nullptr); w;
             w = FindWindowExA(nullptr, w, win::kNotifierClassName, nullptr)) {
          DWORD_PTR ignored;
          SendMessageTimeoutA(w, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
          ++reached;
        }
      }
      SetProcessWindowStation(original);
      if (desktop) CloseDesktop(desktop);
      CloseWindowStation(station);
    }
  }).join();
  return reached;
}

DWORD runAndWait(const std::string& commandLine, DWORD timeoutMs = 60000, HANDLE* keep = nullptr) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0xFFFFFFFF;
  CloseHandle(pi.hThread);
  if (keep) {
    *keep = pi.hProcess;
    return 0;
  }
  DWORD code = 0xFFFFFFFE;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  return code;
}

class Service {
 public:
  Service() : manager_(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}
  ~Service() {
    if (manager_) CloseServiceHandle(manager_);
  }
  SC_HANDLE open() { return OpenServiceA(manager_, win::kServiceName, SERVICE_ALL_ACCESS); }
  DWORD state() {
    SC_HANDLE s = open();
    if (!s) return 0;
    SERVICE_STATUS st{};
    QueryServiceStatus(s, &st);
    CloseServiceHandle(s);
    return st.dwCurrentState;
  }
  bool waitFor(DWORD wanted, DWORD ms = 15000) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
      if (state() == wanted) return true;
      Sleep(50);
    }
    return false;
  }
  bool start() {
    SC_HANDLE s = open();
    bool ok = s && StartServiceA(s, 0, nullptr);
    if (s) CloseServiceHandle(s);
    return ok && waitFor(SERVICE_RUNNING);
  }
  bool requestStop() {
    SC_HANDLE s = open();
    SERVICE_STATUS st{};
    bool ok = s && ControlService(s, SERVICE_CONTROL_STOP, &st);
    if (s) CloseServiceHandle(s);
    return ok;
  }

 private:
  SC_HANDLE manager_;
};

void setVirtualFolder(const std::string& folder) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVirtualKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (folder.empty()) RegDeleteValueA(key, "VirtualReaders");
  else RegSetValueExA(key, "VirtualReaders", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                      static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
}

void addReader(const std::filesystem::path& folder, virt::CardTemplate card) {
  ASSERT_EQ(virt::createReader(folder, {}), "");
  ASSERT_EQ(virt::insertCard(folder, card, {}), "");
  ASSERT_EQ(virt::changeReader(folder, [](auto& s) { s.attentionPending = false; }), "");
}

std::unique_ptr<pipe::PipeDevices> attach() {
  auto devices = pipe::makeServicePipeDevices();
  devices->OpenLibrary();
  return devices;
}

class InstalledServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv(kChildEnv)) GTEST_SKIP() << "child process";
    runAndWait("\"" + serviceProgram() + "\" -remove");  // a leftover of an aborted run
    addReader(scratch.path() / "r0", virt::CardTemplate::Sram);
    setVirtualFolder(scratch.path().string());
    ASSERT_EQ(runAndWait("\"" + serviceProgram() + "\" /INSTALL"), 0u);
    ASSERT_TRUE(service.start());
  }
  void TearDown() override {
    if (std::getenv(kChildEnv)) return;
    EXPECT_EQ(runAndWait("\"" + serviceProgram() + "\" -Remove"), 0u);
    setVirtualFolder("");
  }
  Service service;
  zrb::test::ScratchDir scratch;
};

TEST_F(InstalledServiceTest, InstallsAutoStartServesStopsOnRequestAndRemoves) {
  SC_HANDLE handle = service.open();
  ASSERT_NE(handle, nullptr);
  std::vector<char> buffer(8192);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigA(handle, config, static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(config->dwServiceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_STREQ(config->lpDisplayName, "ZRB-2x Access Service");
  EXPECT_EQ(_stricmp(config->lpBinaryPathName, serviceProgram().c_str()), 0) << config->lpBinaryPathName;
  CloseServiceHandle(handle);

  auto devices = attach();
  ASSERT_TRUE(devices->connected());
  EXPECT_EQ(devices->CountDevices(), 1u);
  std::vector<uint8_t> data(65536);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i ^ (i >> 7));
  EXPECT_EQ(devices->WriteCommon(0, 0x1000, 65536, data.data()), 0u);
  std::vector<uint8_t> back(data.size());
  EXPECT_EQ(devices->ReadCommon(0, 0x1000, 65536, back.data()), 0u);
  EXPECT_EQ(back, data);

  // A stop request while a client waits for its reply ends the service; the
  // client is cut off without one.
  RawPipeClient waiting(pipe::kPipeName, 15000);
  ASSERT_TRUE(waiting.connected());
  ASSERT_TRUE(waiting.send(request(code::kWriteCommon, 2, 0, 16, 1)));
  ASSERT_TRUE(service.requestStop());
  EXPECT_TRUE(service.waitFor(SERVICE_STOPPED));
  EXPECT_EQ(waiting.reply().status, 0xFFFFFFFFu);

  uint32_t word = 0;
  EXPECT_EQ(devices->GetStatus(0, &word), status::kCommunicationFailure);
  auto late = attach();
  EXPECT_FALSE(late->connected());
  EXPECT_EQ(late->CountDevices(), 0u);
}

TEST_F(InstalledServiceTest, AReaderPluggedInIsCountedAfterTheDeviceChangeBroadcast) {
  auto devices = attach();
  EXPECT_EQ(devices->CountDevices(), 1u);
  addReader(scratch.path() / "r1", virt::CardTemplate::Ata);
  EXPECT_EQ(devices->CountDevices(), 1u);
  EXPECT_GE(sendDeviceChangeToServiceWindows(), 1);
  EXPECT_EQ(devices->CountDevices(), 2u);
}

TEST_F(InstalledServiceTest, SeveralClientProcessesAtOnceKeepTheirDataApart) {
  constexpr int kChildren = 4;
  std::vector<HANDLE> children;
  for (int i = 0; i < kChildren; ++i) {
    SetEnvironmentVariableA(kChildEnv, std::to_string(i).c_str());
    HANDLE process = nullptr;
    runAndWait("\"" + zrb::test::executableDirectory() + "\\service_installed_tests_win.exe\" "
               "--gtest_filter=ChildClient.WritesAndReadsItsOwnRange",
               0, &process);
    ASSERT_NE(process, nullptr);
    children.push_back(process);
  }
  SetEnvironmentVariableA(kChildEnv, nullptr);
  for (HANDLE child : children) {
    ASSERT_EQ(WaitForSingleObject(child, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(child, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(child);
  }
  // What every child wrote last is on the card, in its own range.
  auto devices = attach();
  std::vector<uint8_t> back(kChildSpan);
  for (int i = 0; i < kChildren; ++i) {
    ASSERT_EQ(devices->ReadCommon(0, i * kChildSpan, kChildSpan, back.data()), 0u);
    EXPECT_EQ(back[100], static_cast<uint8_t>(i * 41 + 9 * 7 + 100));
  }
}

TEST_F(InstalledServiceTest, AClientKilledMidExchangeLeavesTheServiceServingEveryoneElse) {
  SetEnvironmentVariableA(kChildEnv, "hold");
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, kHeldEvent);
  HANDLE child = nullptr;
  runAndWait("\"" + zrb::test::executableDirectory() + "\\service_installed_tests_win.exe\" "
             "--gtest_filter=ChildClient.HoldsAnExchangeOpen",
             0, &child);
  SetEnvironmentVariableA(kChildEnv, nullptr);
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(WaitForSingleObject(held, 30000), WAIT_OBJECT_0);
  TerminateProcess(child, 9);
  WaitForSingleObject(child, 10000);
  CloseHandle(child);
  CloseHandle(held);

  // The killed client held the exchange mutex: the first request finds it
  // abandoned and answers 11, and gives it back; from then on all is well.
  auto devices = attach();
  uint32_t word = 0;
  uint32_t first = devices->GetStatus(0, &word);
  EXPECT_TRUE(first == 0 || first == status::kTimeOut) << std::hex << first;
  EXPECT_EQ(devices->GetStatus(0, &word), 0u);
  EXPECT_EQ(devices->CountDevices(), 1u);
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_RUNNING));
}

// Run only as child processes of the tests above.
TEST(ChildClient, WritesAndReadsItsOwnRange) {
  const char* index = std::getenv(kChildEnv);
  if (!index) GTEST_SKIP() << "runs as a child process";
  const int me = std::atoi(index);
  auto devices = attach();
  ASSERT_TRUE(devices->connected());
  std::vector<uint8_t> data(kChildSpan), back(kChildSpan);
  for (int round = 0; round < 10; ++round) {
    for (uint32_t i = 0; i < kChildSpan; ++i) data[i] = static_cast<uint8_t>(me * 41 + round * 7 + i);
    ASSERT_EQ(devices->WriteCommon(0, me * kChildSpan, kChildSpan, data.data()), 0u);
    ASSERT_EQ(devices->ReadCommon(0, me * kChildSpan, kChildSpan, back.data()), 0u);
    ASSERT_EQ(back, data) << "round " << round;
  }
}

TEST(ChildClient, HoldsAnExchangeOpen) {
  const char* mode = std::getenv(kChildEnv);
  if (!mode || std::string(mode) != "hold") GTEST_SKIP() << "runs as a child process";
  HANDLE mutex = CreateMutexA(nullptr, FALSE, pipe::kExchangeMutexName);
  ASSERT_EQ(WaitForSingleObject(mutex, 16000), WAIT_OBJECT_0);
  RawPipeClient raw(pipe::kPipeName);
  ASSERT_TRUE(raw.send(request(code::kWriteCommon, 2, 0, 65536, 1)));
  HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, kHeldEvent);
  SetEvent(held);
  Sleep(INFINITE);  // killed here, holding the mutex and the pipe
}

}  // namespace
}  // namespace zrb2x::service::test
