#include "win32_pipe_transport.h"

#include <windows.h>

#include <string>

namespace zrb2x::pipe {
namespace {

class Win32PipeTransport final : public PipeTransport {
 public:
  Win32PipeTransport(const char* pipeName, const char* mutexName)
      : pipeName_(pipeName), mutexName_(mutexName) {}
  ~Win32PipeTransport() override {
    closePipe();
    closeMutex();
  }

  bool openMutex() override {
    if (!mutex_) mutex_ = CreateMutexA(nullptr, FALSE, mutexName_.c_str());
    return mutex_ != nullptr;
  }
  void closeMutex() override {
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
  }
  MutexWait waitMutex(uint32_t timeoutMs) override {
    if (!mutex_) return MutexWait::Failed;
    switch (WaitForSingleObject(mutex_, timeoutMs)) {
      case WAIT_OBJECT_0:
        return MutexWait::Acquired;
      case WAIT_ABANDONED:
        return MutexWait::Abandoned;
      case WAIT_TIMEOUT:
        return MutexWait::TimedOut;
      default:
        return MutexWait::Failed;
    }
  }
  void releaseMutex() override {
    if (mutex_) ReleaseMutex(mutex_);
  }

  PipeOpen openPipe() override {
    SetLastError(0);
    // Whoever serves the pipe may learn who the client is, never act as it:
    // a program that took the pipe's name first gets no usable token.
    pipe_ = CreateFileA(pipeName_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe_ != INVALID_HANDLE_VALUE) return PipeOpen::Opened;
    return GetLastError() == ERROR_PIPE_BUSY ? PipeOpen::Busy : PipeOpen::Failed;
  }
  bool writeMessage(const void* data, uint32_t size) override {
    DWORD written = 0;
    return WriteFile(pipe_, data, size, &written, nullptr) && written == size;
  }
  bool readMessage(void* data, uint32_t size) override {
    DWORD read = 0;
    return ReadFile(pipe_, data, size, &read, nullptr) && read == size;
  }
  bool closePipe() override {
    if (pipe_ == INVALID_HANDLE_VALUE) return true;
    bool closed = CloseHandle(pipe_) != 0;
    pipe_ = INVALID_HANDLE_VALUE;
    return closed;
  }

  void sleep(uint32_t ms) override { Sleep(ms); }
  void setLastError(uint32_t error) override { SetLastError(error); }
  uint32_t readLastError() override { return GetLastError(); }

 private:
  std::string pipeName_;
  std::string mutexName_;
  HANDLE mutex_ = nullptr;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<PipeTransport> makeWin32PipeTransport(const char* pipeName, const char* mutexName) {
  return std::make_unique<Win32PipeTransport>(pipeName, mutexName);
}

std::unique_ptr<PipeDevices> makeServicePipeDevices() {
  return std::make_unique<PipeDevices>(makeWin32PipeTransport());
}

}  // namespace zrb2x::pipe
