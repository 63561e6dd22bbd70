// A pipe client that sends whatever a test tells it, byte for byte, and never
// waits longer than a few seconds for an answer: the tool of the hostile and
// broken-client tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pipe_protocol.h"

namespace zrb2x::service::test {

class RawPipeClient {
 public:
  explicit RawPipeClient(const std::string& pipeName, DWORD timeoutMs = 10000);
  ~RawPipeClient();
  RawPipeClient(const RawPipeClient&) = delete;
  RawPipeClient& operator=(const RawPipeClient&) = delete;

  bool connected() const { return pipe_ != INVALID_HANDLE_VALUE; }
  bool send(const void* data, uint32_t size);
  bool send(const pipe::ServiceRequest& request) { return send(&request, sizeof request); }
  // One message, up to `capacity` bytes; empty with ok false when the read
  // failed or timed out.
  std::vector<uint8_t> receive(uint32_t capacity, bool* ok = nullptr);
  // Reads the 8-byte reply; status 0xFFFFFFFF when none came.
  pipe::ServiceReply reply();
  void close();

 private:
  bool finish(OVERLAPPED& ov, DWORD* bytes);

  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  DWORD timeoutMs_;
};

pipe::ServiceRequest request(uint32_t code, uint32_t direction, uint32_t device = 0, uint32_t length = 0,
                             uint32_t count = 0, uint32_t address = 0);

}  // namespace zrb2x::service::test
