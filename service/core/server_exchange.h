// One request on one connection, and the loop of the pipe thread.
#pragma once

#include <cstdint>
#include <memory>

#include "request_dispatcher.h"
#include "server_pipe.h"

namespace zrb2x::service {

enum class ExchangeEnd {
  Replied,     // the reply went out
  ClientLost,  // the client broke off; serve the next one
  Stopped,     // the service stops
};

// Allocates a data block; null when it cannot. Tests put a bounded one here.
using BlockAllocator = std::unique_ptr<uint8_t[]> (*)(uint32_t size);
std::unique_ptr<uint8_t[]> allocateBlock(uint32_t size);

ExchangeEnd serveOneRequest(ServerPipe& pipe, RequestDispatcher& dispatcher,
                            BlockAllocator allocate = allocateBlock);

// The pipe thread: re-enumerate when a device change is pending, wait for a
// client, serve it, disconnect; until the service stops.
void runServerLoop(PipeListener& listener, RequestDispatcher& dispatcher,
                   BlockAllocator allocate = allocateBlock);

}  // namespace zrb2x::service
