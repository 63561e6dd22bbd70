// The pipe client's system calls on Windows: the named mutex, the pipe file,
// Sleep and SetLastError.
#pragma once

#include <memory>

#include "pipe_devices.h"
#include "pipe_transport.h"

namespace zrb2x::pipe {

// `pipeName` and `mutexName` default to the system's; tests pass others to
// reach a private server.
std::unique_ptr<PipeTransport> makeWin32PipeTransport(const char* pipeName = kPipeName,
                                                      const char* mutexName = kExchangeMutexName);

// PipeDevices over the Win32 transport: the binding the accessor uses on
// NT-family systems.
std::unique_ptr<PipeDevices> makeServicePipeDevices();

}  // namespace zrb2x::pipe
