// veskcv2xs.exe: installs or removes itself from its command line, otherwise
// hands the process to the service control dispatcher.
#include <windows.h>

#include "command_line.h"
#include "win32_service_host.h"

int main(int argc, char** argv) {
  using namespace zrb2x::service;
  switch (parseCommandLine(argc, argv)) {
    case CommandLineAction::Install:
      win::installService();
      return 0;
    case CommandLineAction::Remove:
      win::removeService();
      return 0;
    case CommandLineAction::RunService:
      break;
  }
  char name[sizeof win::kServiceName];
  lstrcpyA(name, win::kServiceName);
  SERVICE_TABLE_ENTRYA table[] = {{name, win::serviceMain}, {nullptr, nullptr}};
  StartServiceCtrlDispatcherA(table);
  return 0;
}
