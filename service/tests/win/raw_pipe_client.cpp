#include "raw_pipe_client.h"

namespace zrb2x::service::test {

RawPipeClient::RawPipeClient(const std::string& pipeName, DWORD timeoutMs) : timeoutMs_(timeoutMs) {
  event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (int attempt = 0; attempt < 500; ++attempt) {
    pipe_ = CreateFileA(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe_ != INVALID_HANDLE_VALUE || GetLastError() != ERROR_PIPE_BUSY) break;
    Sleep(10);
  }
  if (pipe_ != INVALID_HANDLE_VALUE) {
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe_, &mode, nullptr, nullptr);
  }
}

RawPipeClient::~RawPipeClient() {
  close();
  if (event_) CloseHandle(event_);
}

void RawPipeClient::close() {
  if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  pipe_ = INVALID_HANDLE_VALUE;
}

bool RawPipeClient::finish(OVERLAPPED& ov, DWORD* bytes) {
  DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) return error == ERROR_MORE_DATA;
  if (WaitForSingleObject(event_, timeoutMs_) != WAIT_OBJECT_0) {
    CancelIo(pipe_);
    GetOverlappedResult(pipe_, &ov, bytes, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe_, &ov, bytes, FALSE) || GetLastError() == ERROR_MORE_DATA;
}

bool RawPipeClient::send(const void* data, uint32_t size) {
  if (!connected()) return false;
  OVERLAPPED ov{};
  ov.hEvent = event_;
  ResetEvent(event_);
  DWORD bytes = 0;
  bool ok = WriteFile(pipe_, data, size, &bytes, &ov) || finish(ov, &bytes);
  return ok && bytes == size;
}

std::vector<uint8_t> RawPipeClient::receive(uint32_t capacity, bool* okOut) {
  std::vector<uint8_t> data(capacity);
  bool ok = false;
  DWORD bytes = 0;
  if (connected()) {
    OVERLAPPED ov{};
    ov.hEvent = event_;
    ResetEvent(event_);
    ok = ReadFile(pipe_, data.data(), capacity, &bytes, &ov) || finish(ov, &bytes);
  }
  data.resize(ok ? bytes : 0);
  if (okOut) *okOut = ok;
  return data;
}

pipe::ServiceReply RawPipeClient::reply() {
  bool ok = false;
  std::vector<uint8_t> m = receive(64, &ok);
  pipe::ServiceReply r{0xFFFFFFFF, 0xFFFFFFFF};
  if (ok && m.size() == sizeof r) memcpy(&r, m.data(), sizeof r);
  return r;
}

pipe::ServiceRequest request(uint32_t code, uint32_t direction, uint32_t device, uint32_t length,
                             uint32_t count, uint32_t address) {
  pipe::ServiceRequest r{};
  r.code = code;
  r.direction = direction;
  r.device = device;
  r.length = length;
  r.count = count;
  r.address = address;
  return r;
}

}  // namespace zrb2x::service::test
