// Under Wine: two processes on one virtual reader at once keep each command
// whole (the reader's named mutex), and the real transports find no device
// on a machine without reader-writers and say so cleanly.
#include <windows.h>

#include <aclapi.h>

#include <cstdlib>
#include <string>

#include "../shared_reader_load.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"
#include "win32_security.h"

namespace zrb2x::test {
namespace {

constexpr const char* kSharedFolder = "ZRB2X_TEST_SHARED_READERS";
constexpr const char* kReadyEvent = "zrb2x-test-two-processes-ready";
constexpr const char* kGoEvent = "zrb2x-test-two-processes-go";

// Both processes start hammering together, so their commands really meet.
class StartingLine {
 public:
  StartingLine()
      : ready_(CreateEventA(nullptr, TRUE, FALSE, kReadyEvent)),
        go_(CreateEventA(nullptr, TRUE, FALSE, kGoEvent)) {}
  ~StartingLine() {
    CloseHandle(ready_);
    CloseHandle(go_);
  }
  bool childArrives() { return SetEvent(ready_) && WaitForSingleObject(go_, 60000) == WAIT_OBJECT_0; }
  bool start() { return WaitForSingleObject(ready_, 60000) == WAIT_OBJECT_0 && SetEvent(go_); }

 private:
  HANDLE ready_, go_;
};

std::string thisProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The second process: runs only when started by the test below.
TEST(TwoProcesses, ChildHammersTheSharedReader) {
  const char* folder = std::getenv(kSharedFolder);
  if (!folder) GTEST_SKIP() << "started by TwoProcesses.KeepEachCommandWhole";
  auto devices = InProcessDevices::forVirtualReaders(folder);
  ASSERT_TRUE(devices->OpenLibrary());
  ASSERT_EQ(devices->CountDevices(), 1u);
  StartingLine line;
  ASSERT_TRUE(line.childArrives());
  hammerReader(*devices, 0x80);
}

TEST(TwoProcesses, KeepEachCommandWhole) {
  if (std::getenv(kSharedFolder)) GTEST_SKIP() << "this is the child";
  zrb::test::ScratchDir scratch;
  const auto reader = scratch.path() / "r0";
  ASSERT_EQ(virt::createReader(reader, {}), "");
  ASSERT_EQ(virt::insertCard(reader, virt::CardTemplate::Sram, {}), "");
  constexpr uint32_t kStart = 1000000;
  ASSERT_EQ(virt::changeReader(reader,
                               [](auto& s) {
                                 s.pullAfter = kStart;
                                 s.attentionPending = false;  // no retry to count
                               }),
            "");
  auto devices = InProcessDevices::forVirtualReaders(scratch.path());
  ASSERT_TRUE(devices->OpenLibrary());
  ASSERT_EQ(devices->CountDevices(), 1u);
  const uint32_t listCommands = 2;  // status and inquiry while building the list
  StartingLine line;

  SetEnvironmentVariableA(kSharedFolder, scratch.path().string().c_str());
  std::string command = "\"" + thisProgram() + "\" --gtest_filter=TwoProcesses.ChildHammersTheSharedReader";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA(kSharedFolder, nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(line.start());
  hammerReader(*devices, 0x10);
  ASSERT_EQ(WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  EXPECT_EQ(exitCode, 0u);

  std::string text;
  ASSERT_EQ(virt::showReader(reader, text), "");
  const uint32_t expected = kStart - 2 * listCommands - 2 * kLoadRounds * kCommandsPerRound;
  EXPECT_EQ(virt::parseReaderState(text)->pullAfter, expected);
}

TEST(DeviceMutexes, AreOpenToEveryoneAndInheritable) {
  HANDLE mutex = zrb::win::createOpenMutex("mutexSptiIo/ZRB-2x/DeviceTest");
  ASSERT_NE(mutex, nullptr);
  DWORD flags = 0;
  ASSERT_TRUE(GetHandleInformation(mutex, &flags));
  EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
  PACL dacl = reinterpret_cast<PACL>(1);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(dacl, nullptr);  // present but NULL: access for everybody
  LocalFree(descriptor);
  CloseHandle(mutex);
}

// Windows 9x, its ASPI manager and "\\.\VWIN32" exist for 32-bit programs
// only: a 64-bit program that is told it runs on Windows 98 has no real
// transport to open.
bool win9xWithoutItsTransports() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return sizeof(void*) == 8 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

TEST(RealTransports, FindNoDeviceWithoutReaderWriters) {
  if (win9xWithoutItsTransports()) GTEST_SKIP() << "no Windows 9x transports for 64-bit programs";
  SetEnvironmentVariableA("ZRB2X_VIRTUAL", nullptr);
  _putenv("ZRB2X_VIRTUAL=");
  InProcessDevices devices;
  // The real layers open (their mutexes exist); there is just nothing there.
  EXPECT_TRUE(devices.OpenLibrary());
  EXPECT_EQ(devices.CountDevices(), 0u);
  uint32_t status = 0;
  EXPECT_EQ(devices.GetStatus(0, &status), 5u);
  EXPECT_TRUE(devices.CloseLibrary());
}

TEST(RealTransports, VirtualReadersFollowTheRealOnes) {
  zrb::test::ScratchDir scratch;
  ASSERT_EQ(virt::createReader(scratch.path() / "r0", {}), "");
  ASSERT_EQ(virt::insertCard(scratch.path() / "r0", virt::CardTemplate::Eeprom, {}), "");
  _putenv(("ZRB2X_VIRTUAL=" + scratch.path().string()).c_str());
  InProcessDevices devices;
  EXPECT_TRUE(devices.OpenLibrary());
  EXPECT_EQ(devices.CountDevices(), 1u);
  uint32_t status = 0;
  EXPECT_EQ(devices.GetStatus(0, &status), 0u);
  EXPECT_EQ(status & 0x300u, 0x300u);
  devices.CloseLibrary();
  _putenv("ZRB2X_VIRTUAL=");
}

}  // namespace
}  // namespace zrb2x::test
