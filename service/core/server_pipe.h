// The server's side of one connected client, as the exchange sees it. The
// Win32 layer implements it with overlapped I/O that also watches the stop
// event; tests implement it with queued messages.
#pragma once

#include <cstdint>

namespace zrb2x::service {

enum class IoStatus {
  Done,      // a whole message was read (or the write completed)
  MoreData,  // the message is longer than the buffer: `bytes` were read, more follow
  Failed,    // the client went away or the call failed
  Stopped,   // the service is stopping, or waiting failed: leave the server loop
};

struct IoResult {
  IoStatus status;
  uint32_t bytes;
};

class ServerPipe {
 public:
  virtual ~ServerPipe() = default;
  virtual IoResult read(void* buffer, uint32_t size) = 0;
  virtual IoResult write(const void* data, uint32_t size) = 0;
  // The process id of the connected client; 0 when the system cannot say.
  virtual uint32_t clientProcessId() { return 0; }
};

enum class ConnectOutcome { Connected, Stopped };

// The pipe's single instance: wait for the next client, and let it go again.
class PipeListener {
 public:
  virtual ~PipeListener() = default;
  virtual ConnectOutcome waitForClient() = 0;
  virtual ServerPipe& connection() = 0;
  virtual void disconnect() = 0;
};

}  // namespace zrb2x::service
