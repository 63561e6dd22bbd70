#include "win32_pipe_server.h"

#include <algorithm>

namespace zrb2x::service::win {

UniqueHandle createServerPipe(const char* name, SECURITY_ATTRIBUTES* security) {
  // The flag alone is not honoured everywhere (Wine ignores it): a pipe of
  // that name that already exists, busy or waiting, belongs to someone else.
  // Asking does not connect to it.
  if (WaitNamedPipeA(name, 1) || GetLastError() != ERROR_FILE_NOT_FOUND) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return UniqueHandle();
  }
  return UniqueHandle(
      CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 0, 0, 1000, security));
}

template <typename Call>
IoResult Win32PipeServer::overlapped(Call call, DWORD timeoutMs) {
  OVERLAPPED ov{};
  ov.hEvent = io_;
  ResetEvent(io_);
  SetLastError(0);
  DWORD bytes = 0;
  BOOL ok = call(&ov, &bytes);
  DWORD error = ok ? 0 : GetLastError();
  if (!ok && error == ERROR_IO_PENDING) {
    HANDLE waits[2] = {stop_, io_};
    DWORD which = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
    if (which != WAIT_OBJECT_0 + 1) {
      // The call must be finished before its OVERLAPPED and buffer go.
      CancelIo(pipe_);
      GetOverlappedResult(pipe_, &ov, &bytes, TRUE);
      return {which == WAIT_TIMEOUT ? IoStatus::Failed : IoStatus::Stopped, 0};
    }
    ok = GetOverlappedResult(pipe_, &ov, &bytes, FALSE);
    error = ok ? 0 : GetLastError();
  }
  if (ok) return {IoStatus::Done, bytes};
  if (error == ERROR_MORE_DATA) return {IoStatus::MoreData, bytes};
  return {IoStatus::Failed, bytes};
}

IoResult Win32PipeServer::read(void* buffer, uint32_t size) {
  IoResult r = overlapped(
      [&](OVERLAPPED* ov, DWORD* bytes) { return ReadFile(pipe_, buffer, size, bytes, ov); }, idleMs_);
  lastExchangeStopped_ = r.status == IoStatus::Stopped;
  return r;
}

IoResult Win32PipeServer::write(const void* data, uint32_t size) {
  IoResult r = overlapped(
      [&](OVERLAPPED* ov, DWORD* bytes) { return WriteFile(pipe_, data, size, bytes, ov); }, idleMs_);
  lastExchangeStopped_ = r.status == IoStatus::Stopped;
  return r;
}

// Bound at run time: systems before the call existed still run the service,
// whose clients then count as one program.
uint32_t Win32PipeServer::clientProcessId() {
  using Query = BOOL(WINAPI*)(HANDLE, ULONG*);
  static const Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeClientProcessId")));
  ULONG id = 0;
  if (!query || !query(pipe_, &id)) return 0;
  return id;
}

ConnectOutcome Win32PipeServer::waitForClient() {
  lastExchangeStopped_ = false;
  OVERLAPPED ov{};
  ov.hEvent = io_;
  ResetEvent(io_);
  SetLastError(0);
  if (ConnectNamedPipe(pipe_, &ov)) return ConnectOutcome::Connected;
  switch (GetLastError()) {
    case ERROR_PIPE_CONNECTED:
    case ERROR_NO_DATA:  // came and went already: the exchange finds it gone
      return ConnectOutcome::Connected;
    case ERROR_IO_PENDING: {
      HANDLE waits[2] = {stop_, io_};
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        return ConnectOutcome::Connected;
      CancelIo(pipe_);
      DWORD bytes = 0;
      GetOverlappedResult(pipe_, &ov, &bytes, TRUE);
      return ConnectOutcome::Stopped;
    }
    default:
      return ConnectOutcome::Stopped;
  }
}

void Win32PipeServer::disconnect() {
  // Disconnecting throws away what the client has not read yet, the reply
  // among it. A client closes its end as soon as it has the reply, so wait
  // for that (a read that ends when the client goes), but not for ever: a
  // client that keeps the connection open must not hold the only instance.
  if (!lastExchangeStopped_) {
    char byte;
    overlapped([&](OVERLAPPED* ov, DWORD* bytes) { return ReadFile(pipe_, &byte, 1, bytes, ov); },
               std::min<DWORD>(idleMs_, 5000));
  }
  DisconnectNamedPipe(pipe_);
}

}  // namespace zrb2x::service::win
