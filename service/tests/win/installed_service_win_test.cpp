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

#include "hostile_requests.h"
#include "pipe_devices.h"
#include "raw_pipe_client.h"
#include "scratch_dir.h"
#include "service_control.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_device_notifier.h"
#include "win32_pipe_transport.h"
#include "win32_service_host.h"

namespace zrb2x::service::test {
namespace {

namespace code = pipe::code;
namespace status = pipe::status;

constexpr char kChildEnv[] = "ZRB_SERVICE_TEST_CHILD";
constexpr char kHeldEvent[] = "zrb2x-test/exchange-held";
constexpr uint32_t kChildSpan = 32768;

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
    addReader(scratch.path() / "r0", virt::CardTemplate::Sram);
    ASSERT_TRUE(setMachineVirtualFolder(scratch.path().string()));
    ASSERT_TRUE(service.installAndStart());
  }
  void TearDown() override {
    if (std::getenv(kChildEnv)) return;
    service.remove();
    EXPECT_EQ(service.state(), 0u);
    setMachineVirtualFolder("");
  }
  ServiceManager service;
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
  // Quoted, so that a path with blanks cannot start another program.
  const std::string quoted = "\"" + serviceProgramPath() + "\"";
  EXPECT_EQ(_stricmp(config->lpBinaryPathName, quoted.c_str()), 0) << config->lpBinaryPathName;
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

TEST_F(InstalledServiceTest, MalformedAndHostileRequestsLeaveTheServiceRunning) {
  sendHostileRequests(pipe::kPipeName);
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_RUNNING));
  auto devices = attach();
  uint32_t word = 0;
  EXPECT_EQ(devices->GetStatus(0, &word), 0u);
  uint8_t first[2];
  EXPECT_EQ(devices->ReadCommon(0, 0, 2, first), 0u);
  EXPECT_NE(first[0], 0xEE);  // the refused huge write never reached the card
}

TEST_F(InstalledServiceTest, AReaderPluggedInIsCountedAfterTheDeviceChangeBroadcast) {
  auto devices = attach();
  EXPECT_EQ(devices->CountDevices(), 1u);
  addReader(scratch.path() / "r1", virt::CardTemplate::Ata);
  EXPECT_EQ(devices->CountDevices(), 1u);
  EXPECT_GE(sendDeviceChangeToServiceWindows(), 1);
  EXPECT_EQ(devices->CountDevices(), 2u);
}

TEST_F(InstalledServiceTest, AReaderThatSortsFirstLeavesARunningProgramsSocketOnItsCard) {
  auto running = attach();
  ASSERT_EQ(running->CountDevices(), 1u);
  const uint8_t mark[4] = {0x4D, 0x41, 0x52, 0x4B};
  ASSERT_EQ(running->WriteCommon(0, 0x200, 4, mark), 0u);

  addReader(scratch.path() / "a0", virt::CardTemplate::Sram);  // sorts before r0
  EXPECT_GE(sendDeviceChangeToServiceWindows(), 1);
  auto newcomer = attach();
  EXPECT_EQ(newcomer->CountDevices(), 2u);

  uint8_t back[4] = {};
  EXPECT_EQ(running->ReadCommon(0, 0x200, 4, back), 0u);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(mark, mark + 4));
  EXPECT_EQ(newcomer->WriteCommon(1, 0x200, 4, mark), 0u);  // the new reader took the next number
}

TEST_F(InstalledServiceTest, SeveralClientProcessesAtOnceKeepTheirDataApart) {
  constexpr int kChildren = 4;
  std::vector<HANDLE> children;
  for (int i = 0; i < kChildren; ++i) {
    SetEnvironmentVariableA(kChildEnv, std::to_string(i).c_str());
    HANDLE process = nullptr;
    runProgram("\"" + zrb::test::executableDirectory() +
                   "\\service_installed_tests_win.exe\" "
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
  runProgram("\"" + zrb::test::executableDirectory() +
                 "\\service_installed_tests_win.exe\" "
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

// Runs this test program as a child in the given mode; its exit code.
DWORD runChild(const char* mode, const char* test) {
  SetEnvironmentVariableA(kChildEnv, mode);
  const DWORD code = runProgram("\"" + zrb::test::executableDirectory() +
                                    "\\service_installed_tests_win.exe\" --gtest_filter=ChildClient." + test,
                                120000);
  SetEnvironmentVariableA(kChildEnv, nullptr);
  return code;
}

TEST_F(InstalledServiceTest, ASocketHeldByOneProgramIsNotTakenOrFreedByAnother) {
  auto devices = attach();
  ASSERT_TRUE(devices->AcquireDevice(0));
  EXPECT_EQ(runChild("lock", "CannotTakeOrFreeTheHeldSocket"), 0u);
  EXPECT_TRUE(devices->AcquireDevice(0));  // still this program's
  ASSERT_TRUE(devices->ReleaseDevice(0));
  EXPECT_EQ(runChild("lock", "TakesTheSocketAndEndsHoldingIt"), 0xDEADu);
  // The holder ended without giving the socket back: it is free again.
  EXPECT_TRUE(devices->AcquireDevice(0));
  EXPECT_TRUE(devices->ReleaseDevice(0));
}

TEST_F(InstalledServiceTest, AProgramThatTookThePipesNameFirstKeepsTheServiceFromStarting) {
  ASSERT_TRUE(service.requestStop());
  ASSERT_TRUE(service.waitFor(SERVICE_STOPPED));
  HANDLE squatter = CreateNamedPipeA(pipe::kPipeName, PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                     PIPE_UNLIMITED_INSTANCES, 0, 0, 1000, nullptr);
  ASSERT_NE(squatter, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(service.start());
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_STOPPED));
  CloseHandle(squatter);
  EXPECT_TRUE(service.start());
}

TEST(ServiceProgram, WordsWithoutADashOrSlashStartTheDispatcherWhichEndsAtOnce) {
  if (std::getenv(kChildEnv)) GTEST_SKIP() << "child process";
  ServiceManager service;
  service.remove();
  EXPECT_EQ(runProgram("\"" + serviceProgramPath() + "\" install", 20000), 0u);
  EXPECT_EQ(runProgram("\"" + serviceProgramPath() + "\"", 20000), 0u);
  EXPECT_EQ(runProgram("\"" + serviceProgramPath() + "\" -uninstall", 20000), 0u);
  EXPECT_EQ(service.state(), 0u);  // nothing was installed
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

TEST(ChildClient, CannotTakeOrFreeTheHeldSocket) {
  const char* mode = std::getenv(kChildEnv);
  if (!mode || std::string(mode) != "lock") GTEST_SKIP() << "runs as a child process";
  auto devices = attach();
  ASSERT_TRUE(devices->connected());
  EXPECT_FALSE(devices->AcquireDevice(0));
  devices->ReleaseDevice(0);  // frees nothing: this program holds nothing
  EXPECT_FALSE(devices->AcquireDevice(0));
  uint32_t word = 0;
  EXPECT_EQ(devices->GetStatus(0, &word), 0u);  // the card itself stays reachable
}

TEST(ChildClient, TakesTheSocketAndEndsHoldingIt) {
  const char* mode = std::getenv(kChildEnv);
  if (!mode || std::string(mode) != "lock") GTEST_SKIP() << "runs as a child process";
  auto devices = attach();
  if (!devices->AcquireDevice(0)) ExitProcess(1);
  TerminateProcess(GetCurrentProcess(), 0xDEAD);  // no detach, no release
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
