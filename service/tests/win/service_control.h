// Driving the installed service from a test or benchmark program: the
// service program's command line, the service control manager, and the
// machine-wide folder of virtual readers the service reads at start.
#pragma once

#include <windows.h>

#include <string>

namespace zrb2x::service::test {

std::string serviceProgramPath();  // <build>\bin\veskcv2xs.exe, full path

// Runs a command line and waits for it; its exit code, or 0xFFFFFFFF when it
// could not start. With `process`, returns at once and hands the process over.
DWORD runProgram(const std::string& commandLine, DWORD timeoutMs = 60000, HANDLE* process = nullptr);

// "VirtualReaders" under HKEY_LOCAL_MACHINE\Software\Orvane\zrb2x; empty
// removes it. True on success.
bool setMachineVirtualFolder(const std::string& folder);

// Sends WM_DEVICECHANGE to the service's hidden window, wherever its window
// station; returns how many windows it reached.
int sendDeviceChangeToServiceWindows();

class ServiceManager {
 public:
  ServiceManager();
  ~ServiceManager();
  ServiceManager(const ServiceManager&) = delete;
  ServiceManager& operator=(const ServiceManager&) = delete;

  SC_HANDLE open();  // caller closes; null when not installed
  DWORD state();     // 0 when not installed
  bool waitFor(DWORD state, DWORD ms = 15000);
  bool start();  // and wait until it runs
  bool requestStop();

  // The program installs itself and starts; false when either failed.
  bool installAndStart();
  void remove();

 private:
  SC_HANDLE manager_;
};

}  // namespace zrb2x::service::test
