// Install and remove report nothing: each failure just ends the procedure.
#include <string>

#include "win32_owners.h"
#include "win32_service_host.h"

namespace zrb2x::service::win {

using ScHandle = zrb::win::UniqueServiceHandle;

void installService() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  // In quotes: the manager would otherwise try each blank-separated prefix
  // of a path with blanks as a program ("C:\Program.exe" first) and run it as
  // LocalSystem.
  std::string command = std::string("\"") + path + "\"";
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.get()) return;
  ScHandle service(CreateServiceA(manager.get(), kServiceName, kDisplayName, SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                  command.c_str(), nullptr, nullptr, "\0", nullptr, nullptr));
}

void removeService() {
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.get()) return;
  ScHandle service(OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
  if (!service.get()) return;
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    Sleep(1000);
    while (QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOP_PENDING)
      Sleep(1000);
  }
  DeleteService(service.get());
}

}  // namespace zrb2x::service::win
