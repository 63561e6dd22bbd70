#include "server_exchange.h"

#include <cstring>
#include <new>

namespace zrb2x::service {
namespace {

using pipe::ServiceReply;
using pipe::ServiceRequest;

constexpr uint32_t kDrainChunk = 64 * 1024;

// Reads and throws away the rest of a message the server will not use, so
// the client's write completes and it goes on to read the reply.
IoResult drainMessage(ServerPipe& pipe) {
  auto scratch = std::make_unique<uint8_t[]>(kDrainChunk);
  for (;;) {
    IoResult r = pipe.read(scratch.get(), kDrainChunk);
    if (r.status != IoStatus::MoreData) return r;
  }
}

ExchangeEnd endOf(IoStatus status) {
  return status == IoStatus::Stopped ? ExchangeEnd::Stopped : ExchangeEnd::ClientLost;
}

ExchangeEnd sendReply(ServerPipe& pipe, ServiceReply reply) {
  IoResult r = pipe.write(&reply, sizeof reply);
  if (r.status == IoStatus::Done && r.bytes == sizeof reply) return ExchangeEnd::Replied;
  return endOf(r.status == IoStatus::Done ? IoStatus::Failed : r.status);
}

// Receives a message that must be exactly `size` bytes. Returns Done when it
// was; Failed/Stopped when the connection broke; MoreData when the message had
// another size (it has been consumed whole, and must not be acted on).
IoStatus receiveExactly(ServerPipe& pipe, void* buffer, uint32_t size) {
  IoResult r = pipe.read(buffer, size);
  if (r.status == IoStatus::MoreData) {
    IoResult rest = drainMessage(pipe);
    return rest.status == IoStatus::Done ? IoStatus::MoreData : rest.status;
  }
  if (r.status != IoStatus::Done) return r.status;
  return r.bytes == size ? IoStatus::Done : IoStatus::MoreData;
}

}  // namespace

std::unique_ptr<uint8_t[]> allocateBlock(uint32_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

ExchangeEnd serveOneRequest(ServerPipe& pipe, RequestDispatcher& dispatcher, BlockAllocator allocate) {
  ServiceRequest request{};
  IoStatus header = receiveExactly(pipe, &request, sizeof request);
  if (header == IoStatus::Failed || header == IoStatus::Stopped) return endOf(header);
  // A header that is not one whole 36-byte message is never acted on; the
  // client still gets an answer, and nothing follows it on the wire.
  if (header != IoStatus::Done) return sendReply(pipe, {pipe::status::kMissingData, 0});

  const uint32_t size = pipe::announcedBlockSize(request);
  const bool toServer = request.direction == pipe::kToServer;
  const bool toClient = request.direction == pipe::kToClient;
  if ((toServer || toClient) && size == 0) return sendReply(pipe, {pipe::status::kMissingData, 0});

  if ((toServer || toClient) && size > pipe::kMaxDataBlock) {
    // Larger than any card: a bad length, refused before anything is
    // allocated. A client expecting a block finds the reply where the block
    // should be and treats the exchange as failed.
    if (toServer) {
      IoResult r = drainMessage(pipe);
      if (r.status != IoStatus::Done) return endOf(r.status);
    }
    return sendReply(pipe, {pipe::status::kMissingData, 0});
  }

  std::unique_ptr<uint8_t[]> block;
  if (toServer || toClient) {
    block = allocate(size);
    if (!block) {
      // One client asking for more memory than there is must not end the
      // server for everybody: take in what it sends, then refuse. A client
      // expecting a block finds the reply where the block should be and
      // treats the exchange as failed.
      if (toServer) {
        IoResult r = drainMessage(pipe);
        if (r.status != IoStatus::Done) return endOf(r.status);
      }
      return sendReply(pipe, {pipe::status::kCommunicationFailure, pipe::kErrorNotEnoughMemory});
    }
    // What a refused or failing read sends back is zeros, never old heap.
    if (toClient) std::memset(block.get(), 0, size);
  }

  ServiceReply reply{pipe::status::kCommunicationFailure, 0};
  if (toServer) {
    IoStatus data = receiveExactly(pipe, block.get(), size);
    if (data == IoStatus::Failed || data == IoStatus::Stopped) return endOf(data);
    if (data != IoStatus::Done) return sendReply(pipe, {pipe::status::kMissingData, 0});
  }
  reply = dispatcher.dispatch(request, block.get(), block ? size : 0, pipe.clientProcessId());

  if (toClient) {
    IoResult r = pipe.write(block.get(), size);
    if (r.status != IoStatus::Done || r.bytes != size)
      return endOf(r.status == IoStatus::Done ? IoStatus::Failed : r.status);
  }
  block.reset();
  return sendReply(pipe, reply);
}

void runServerLoop(PipeListener& listener, RequestDispatcher& dispatcher, BlockAllocator allocate) {
  for (;;) {
    dispatcher.reenumerateIfPending();
    if (listener.waitForClient() != ConnectOutcome::Connected) return;
    ExchangeEnd end = serveOneRequest(listener.connection(), dispatcher, allocate);
    listener.disconnect();
    if (end == ExchangeEnd::Stopped) return;
  }
}

}  // namespace zrb2x::service
