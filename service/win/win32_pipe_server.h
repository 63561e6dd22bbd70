// The server side of the pipe on Windows: the single message-type instance
// with open security, and overlapped reads and writes that give way to the
// stop event.
#pragma once

#include <windows.h>

#include "server_pipe.h"
#include "unique_handle.h"

namespace zrb2x::service::win {

// A present, NULL DACL (everybody may open the pipe) in inheritable security
// attributes; the descriptor is a GlobalAlloc block freed with the object.
class NullDaclSecurity {
 public:
  NullDaclSecurity();
  ~NullDaclSecurity();
  NullDaclSecurity(const NullDaclSecurity&) = delete;
  NullDaclSecurity& operator=(const NullDaclSecurity&) = delete;
  bool valid() const { return valid_; }
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
  bool valid_ = false;
};

// Creates the first instance of the pipe, and fails when the name is taken:
// a program that made the pipe before the service would otherwise receive
// every client's requests and could act in their name.
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
