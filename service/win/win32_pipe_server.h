// The server side of the pipe on Windows: the single message-type instance
// with open security, and overlapped reads and writes that give way to the
// stop event.
#pragma once

#include <windows.h>

#include "server_pipe.h"
#include "win32_owners.h"
#include "win32_security.h"

namespace zrb2x::service::win {

using zrb::win::UniqueHandle;

UniqueHandle createServerPipe(const char* name, SECURITY_ATTRIBUTES* security);

class Win32PipeServer final : public PipeListener, private ServerPipe {
 public:
  // None of the handles is owned; they outlive the server loop.
  // A connected client that neither sends nor takes data for `idleMs` is
  // dropped: the single instance must not be held by a client that hangs.
  static constexpr DWORD kClientIdleMs = 30000;
  Win32PipeServer(HANDLE pipe, HANDLE stopEvent, HANDLE ioEvent, DWORD idleMs = kClientIdleMs)
      : pipe_(pipe), stop_(stopEvent), io_(ioEvent), idleMs_(idleMs) {}

  ConnectOutcome waitForClient() override;
  ServerPipe& connection() override { return *this; }
  void disconnect() override;

 private:
  IoResult read(void* buffer, uint32_t size) override;
  IoResult write(const void* data, uint32_t size) override;
  uint32_t clientProcessId() override;
  // Runs one overlapped call to its end, or cancels it when the stop event
  // comes first (or the wait fails, or `timeoutMs` passes).
  template <typename Call>
  IoResult overlapped(Call call, DWORD timeoutMs = INFINITE);

  HANDLE pipe_;
  HANDLE stop_;
  HANDLE io_;
  DWORD idleMs_;
  bool lastExchangeStopped_ = false;
};

}  // namespace zrb2x::service::win
