#include "pipe_exchange.h"

namespace zrb2x::pipe {
namespace {

// Waits out a busy pipe: 1 ms before the first retry, 10 ms before each
// further one, 10 ms counted per retry.
uint32_t openWithRetries(PipeTransport& transport) {
  for (uint32_t waited = 0, retries = 0;; ++retries) {
    switch (transport.openPipe()) {
      case PipeOpen::Opened:
        return status::kOk;
      case PipeOpen::Failed:
        return status::kCommunicationFailure;
      case PipeOpen::Busy:
        break;
    }
    if (waited >= kBusyRetryLimitMs) return status::kTimeOut;
    transport.sleep(retries == 0 ? 1 : 10);
    waited += 10;
  }
}

// Header, data block and reply over an open pipe; the pipe is closed by the caller.
uint32_t talk(PipeTransport& transport, const ServiceRequest& request, void* block, ServiceReply& reply) {
  if (!transport.writeMessage(&request, sizeof request)) return status::kCommunicationFailure;
  const uint32_t size = announcedBlockSize(request);
  if (size != 0 && request.direction == kToClient && !transport.readMessage(block, size))
    return status::kCommunicationFailure;
  if (size != 0 && request.direction == kToServer && !transport.writeMessage(block, size))
    return status::kCommunicationFailure;
  if (!transport.readMessage(&reply, sizeof reply)) return status::kCommunicationFailure;
  return status::kOk;
}

}  // namespace

uint32_t exchangeRequest(PipeTransport& transport, const ServiceRequest& request, void* block) {
  switch (transport.waitMutex(kMutexWaitMs)) {
    case MutexWait::Acquired:
      break;
    case MutexWait::Abandoned:
      // A client ended while it held the mutex; the wait made this thread
      // the owner. The request is answered as a time-out, and the mutex is
      // given back so that no other client waits for a dead owner again.
      transport.releaseMutex();
      return status::kTimeOut;
    case MutexWait::TimedOut:
    case MutexWait::Failed:
      return status::kTimeOut;
  }
  uint32_t result = openWithRetries(transport);
  if (result == status::kOk) {
    ServiceReply reply{};
    result = talk(transport, request, block, reply);
    if (!transport.closePipe()) result = status::kCommunicationFailure;
    if (result == status::kOk) {
      if (reply.systemError != 0) transport.setLastError(reply.systemError);
      result = reply.status;
    }
  }
  transport.releaseMutex();
  return result;
}

}  // namespace zrb2x::pipe
