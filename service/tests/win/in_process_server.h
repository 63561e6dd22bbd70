// The service's pipe server run inside the test program, on a pipe and
// exchange mutex of the test's own (so that it never meets an installed
// service), over virtual reader-writers in a scratch folder.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "in_process_devices.h"
#include "request_dispatcher.h"
#include "win32_device_notifier.h"
#include "win32_pipe_server.h"

namespace zrb2x::service::test {

class InProcessServer {
 public:
  explicit InProcessServer(const std::filesystem::path& virtualRoot,
                           DWORD clientIdleMs = win::Win32PipeServer::kClientIdleMs);
  ~InProcessServer();

  const std::string& pipeName() const { return pipeName_; }
  const std::string& mutexName() const { return mutexName_; }
  RequestDispatcher& dispatcher() { return *dispatcher_; }
  HWND notifierWindow() const { return notifier_.window; }
  // Signals the stop event; true when the server thread ended within `ms`.
  bool stop(DWORD ms = 5000);
  bool running() const { return thread_.joinable() && !ended_; }

 private:
  std::string pipeName_;
  std::string mutexName_;
  std::unique_ptr<InProcessDevices> devices_;
  std::unique_ptr<RequestDispatcher> dispatcher_;
  zrb::win::OpenSecurity security_;
  win::UniqueHandle stopEvent_, ioEvent_, pipe_, ended_event_;
  std::unique_ptr<win::Win32PipeServer> server_;
  win::DeviceChangeNotifier notifier_;
  std::thread thread_;
  volatile bool ended_ = false;
};

}  // namespace zrb2x::service::test
