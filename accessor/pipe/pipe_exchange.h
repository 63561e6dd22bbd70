// One request to the access service: mutex, pipe, header, data block, reply.
#pragma once

#include "pipe_protocol.h"
#include "pipe_transport.h"

namespace zrb2x::pipe {

constexpr uint32_t kMutexWaitMs = 16000;
constexpr uint32_t kBusyRetryLimitMs = 60000;

// `block` holds length * count bytes when the request carries a block; it is
// sent (direction 2) or filled (direction 1). Returns the reply's status or
// the client's own 11 (mutex or busy pipe) and 0x08000004 (exchange broken).
uint32_t exchangeRequest(PipeTransport& transport, const ServiceRequest& request, void* block);

}  // namespace zrb2x::pipe
