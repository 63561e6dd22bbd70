// What the pipe client needs from the system: the machine-wide exclusive-use
// mutex, the pipe opened per request, sleeping and the thread's last-error
// value. The Win32 layer implements it; tests put a fake in its place.
#pragma once

#include <cstdint>

namespace zrb2x::pipe {

enum class MutexWait { Acquired, Abandoned, TimedOut, Failed };
enum class PipeOpen { Opened, Busy, Failed };

class PipeTransport {
 public:
  virtual ~PipeTransport() = default;

  // Creates the mutex, or opens it when it exists; true when there is one.
  virtual bool openMutex() = 0;
  virtual void closeMutex() = 0;
  virtual MutexWait waitMutex(uint32_t timeoutMs) = 0;
  virtual void releaseMutex() = 0;

  // Clears the last-error value, then opens the pipe once.
  virtual PipeOpen openPipe() = 0;
  // Each true only when exactly `size` bytes went or came as one message.
  virtual bool writeMessage(const void* data, uint32_t size) = 0;
  virtual bool readMessage(void* data, uint32_t size) = 0;
  virtual bool closePipe() = 0;

  virtual void sleep(uint32_t ms) = 0;
  virtual void setLastError(uint32_t error) = 0;
  virtual uint32_t readLastError() = 0;
};

}  // namespace zrb2x::pipe
