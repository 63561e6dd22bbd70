#include "service_control.h"

#include <dbt.h>

#include <thread>
#include <vector>

#include "win/module_dir.h"
#include "win32_device_notifier.h"
#include "win32_service_host.h"

namespace zrb2x::service::test {

std::string serviceProgramPath() {
  std::string path = zrb::test::deliverableDirectory() + "\\veskcv2xs.exe";
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full) : path;
}

DWORD runProgram(const std::string& commandLine, DWORD timeoutMs, HANDLE* process) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 0xFFFFFFFF;
  CloseHandle(pi.hThread);
  if (process) {
    *process = pi.hProcess;
    return 0;
  }
  DWORD code = 0xFFFFFFFE;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hProcess);
  return code;
}

bool setMachineVirtualFolder(const std::string& folder) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvane\\zrb2x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = folder.empty() ? RegDeleteValueA(key, "VirtualReaders")
                               : RegSetValueExA(key, "VirtualReaders", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(folder.c_str()),
                                                static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS || (folder.empty() && result == ERROR_FILE_NOT_FOUND);
}

// The service's hidden window lives on the desktop of the service's window
// station; look for it on every window station's default desktop (from a
// thread of its own, which may change desktops) and send it the broadcast a
// device arrival causes.
namespace {
BOOL CALLBACK collectName(LPSTR name, LPARAM list) {
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(name);
  return TRUE;
}

}  // namespace

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

ServiceManager::ServiceManager() : manager_(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}

ServiceManager::~ServiceManager() {
  if (manager_) CloseServiceHandle(manager_);
}

SC_HANDLE ServiceManager::open() { return OpenServiceA(manager_, win::kServiceName, SERVICE_ALL_ACCESS); }

DWORD ServiceManager::state() {
  SC_HANDLE s = open();
  if (!s) return 0;
  SERVICE_STATUS status{};
  QueryServiceStatus(s, &status);
  CloseServiceHandle(s);
  return status.dwCurrentState;
}

bool ServiceManager::waitFor(DWORD wanted, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (state() == wanted) return true;
    Sleep(50);
  }
  return false;
}

bool ServiceManager::start() {
  SC_HANDLE s = open();
  bool ok = s && StartServiceA(s, 0, nullptr);
  if (s) CloseServiceHandle(s);
  return ok && waitFor(SERVICE_RUNNING);
}

bool ServiceManager::requestStop() {
  SC_HANDLE s = open();
  SERVICE_STATUS status{};
  bool ok = s && ControlService(s, SERVICE_CONTROL_STOP, &status);
  if (s) CloseServiceHandle(s);
  return ok;
}

bool ServiceManager::installAndStart() {
  remove();  // a leftover of an aborted run
  if (runProgram("\"" + serviceProgramPath() + "\" /INSTALL") != 0) return false;
  return start();
}

void ServiceManager::remove() { runProgram("\"" + serviceProgramPath() + "\" -Remove"); }

}  // namespace zrb2x::service::test
