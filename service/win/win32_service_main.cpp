#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>

#include "in_process_devices.h"
#include "pipe_protocol.h"
#include "request_dispatcher.h"
#include "server_exchange.h"
#include "status_report.h"
#include "win32_device_notifier.h"
#include "win32_pipe_server.h"
#include "win32_process_watcher.h"
#include "win32_service_host.h"

namespace zrb2x::service::win {
namespace {

constexpr DWORD kPendingHintMs = 3000;

// Process-wide state of the service run. The control handler (dispatcher
// thread) and the service main's thread both report status; the lock keeps
// their check points and status record whole.
SERVICE_STATUS g_status{};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
CheckPointCounter g_checkPoints;
std::mutex g_statusLock;
DWORD g_recordedError = 0;
HANDLE volatile g_stopEvent = nullptr;
RequestDispatcher* volatile g_dispatcher = nullptr;

// Writes "<service> error: <n>" and the failed call's name as an error event,
// and keeps the error as the exit code of the final stopped report.
void reportEventLogError(const char* callName) {
  // The failed call's error, read before the event-log calls overwrite it.
  DWORD error = GetLastError();
  HANDLE source = RegisterEventSourceA(nullptr, kServiceName);
  if (!source) return;
  g_recordedError = error;
  char text[128];
  std::snprintf(text, sizeof text, "%s error: %d", kServiceName, static_cast<int>(error));
  const char* strings[2] = {text, callName};
  ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 2, 0, strings, nullptr);
  DeregisterEventSource(source);
}

bool reportStatus(DWORD state, DWORD exitCode, DWORD waitHint) {
  std::lock_guard<std::mutex> lock(g_statusLock);
  StatusFields fields = g_checkPoints.next(state);
  g_status.dwControlsAccepted = fields.controlsAccepted;
  g_status.dwCurrentState = state;
  g_status.dwWin32ExitCode = exitCode;
  g_status.dwWaitHint = waitHint;
  g_status.dwCheckPoint = fields.checkPoint;
  if (SetServiceStatus(g_statusHandle, &g_status)) return true;
  reportEventLogError("SetServiceStatus");
  return false;
}

void WINAPI controlHandler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP) {
    reportStatus(SERVICE_STOP_PENDING, NO_ERROR, 0);
    if (HANDLE stop = g_stopEvent) SetEvent(stop);
    return;
  }
  reportStatus(g_status.dwCurrentState, NO_ERROR, 0);
}

void onDeviceChange(WPARAM, LPARAM) {
  if (RequestDispatcher* dispatcher = g_dispatcher) dispatcher->noteDeviceChange();
}

struct PipeThreadContext {
  Win32PipeServer* server;
  RequestDispatcher* dispatcher;
};

DWORD WINAPI pipeThread(void* parameter) {
  auto* context = static_cast<PipeThreadContext*>(parameter);
  try {
    runServerLoop(*context->server, *context->dispatcher);
  } catch (...) {
    // Nothing may leave the thread; the service then stops as after any
    // other end of its server.
  }
  return 0;
}

// The service run: each start step only after the earlier ones succeeded,
// then the teardown of whatever exists, in its fixed order.
void runService() {
  // The device library picks its SCSI layer (pass-through or ASPI) by the
  // system family itself.
  InProcessDevices devices;
  Win32ProcessWatcher watcher;
  RequestDispatcher dispatcher(devices, &watcher);
  // Without devices the service still starts; it then serves an empty table.
  devices.OpenLibrary();
  dispatcher.enumerate();
  g_dispatcher = &dispatcher;

  UniqueHandle stopEvent, ioEvent, pipe, thread;
  std::unique_ptr<zrb::win::OpenSecurity> security;
  DeviceChangeNotifier notifier;
  notifier.callback = onDeviceChange;
  notifier.className = kNotifierClassName;
  bool notifierStarted = false;
  std::unique_ptr<Win32PipeServer> server;
  PipeThreadContext context{};

  do {
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) break;
    stopEvent = UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent) break;
    g_stopEvent = stopEvent.get();
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) break;
    ioEvent = UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ioEvent) break;
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) break;
    security = std::make_unique<zrb::win::OpenSecurity>();
    if (!security->valid()) break;
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) break;
    pipe = createServerPipe(pipe::kPipeName, security->attributes());
    if (!pipe) {
      // Most likely another program holds the name: say why the service
      // does not start rather than serve behind it.
      reportEventLogError("CreateNamedPipeA");
      break;
    }
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) break;
    if (startDeviceChangeNotifier(&notifier) != 0) break;
    notifierStarted = true;
    if (!reportStatus(SERVICE_START_PENDING, NO_ERROR, 0)) break;
    server = std::make_unique<Win32PipeServer>(pipe.get(), stopEvent.get(), ioEvent.get());
    context = {server.get(), &dispatcher};
    thread = UniqueHandle(CreateThread(nullptr, 0, pipeThread, &context, 0, nullptr));
    if (!thread) break;
    if (reportStatus(SERVICE_RUNNING, NO_ERROR, 0)) {
      WaitForSingleObject(thread.get(), INFINITE);
    } else {
      // The pipe thread uses the pipe, the events and the device table that
      // the teardown frees: stop it and let it end first.
      SetEvent(stopEvent.get());
      WaitForSingleObject(thread.get(), INFINITE);
    }
  } while (false);

  thread.reset();
  if (notifierStarted) stopDeviceChangeNotifier(&notifier);
  g_dispatcher = nullptr;
  pipe.reset();
  security.reset();
  ioEvent.reset();
  g_stopEvent = nullptr;
  stopEvent.reset();
  devices.CloseLibrary();
}

}  // namespace

void WINAPI serviceMain(DWORD, LPSTR*) {
  g_statusHandle = RegisterServiceCtrlHandlerA(kServiceName, controlHandler);
  if (!g_statusHandle) return;
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwServiceSpecificExitCode = 0;
  if (reportStatus(SERVICE_START_PENDING, NO_ERROR, kPendingHintMs)) {
    try {
      runService();
    } catch (...) {
      // An exception (out of memory while starting) ends the run; the
      // stopped report still goes out.
    }
  }
  reportStatus(SERVICE_STOPPED, g_recordedError, 0);
}

}  // namespace zrb2x::service::win
