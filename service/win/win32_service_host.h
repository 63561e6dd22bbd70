// The service program: install and remove, the service main with its status
// reports and control handler, and the run that serves the pipe.
#pragma once

#include <windows.h>

namespace zrb2x::service::win {

constexpr char kServiceName[] = "veskcv2xs";  // also the event source
constexpr char kDisplayName[] = "ZRB-2x Access Service";

void installService();
void removeService();
void WINAPI serviceMain(DWORD argc, LPSTR* argv);

}  // namespace zrb2x::service::win
