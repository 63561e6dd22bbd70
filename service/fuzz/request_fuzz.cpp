// Fuzzes the server's handling of whatever a client sends: the input is cut
// into messages (a length byte before each), served as one connection against
// a fake backend whose operations touch exactly the bytes they are given.
#include <cstddef>
#include <cstdint>

#include "fake_backend.h"
#include "pipe/scripted_pipe.h"
#include "server_exchange.h"

namespace {

std::unique_ptr<uint8_t[]> boundedAllocator(uint32_t size) {
  return size > (1u << 20) ? nullptr : zrb2x::service::allocateBlock(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zrb2x::service;
  test::ScriptedPipe pipe;
  // Each message is its length (first byte times 16; the header's first byte
  // is its length in bytes, at most 48) followed by its bytes.
  if (size == 0) return 0;
  size_t headerLength = data[0] % 49;
  size_t headerEnd = 1 + headerLength < size ? 1 + headerLength : size;
  pipe.incoming.emplace_back(data + 1, data + headerEnd);
  for (size_t at = headerEnd; at < size;) {
    size_t n = size_t{data[at]} * 16;
    ++at;
    size_t end = at + n < size ? at + n : size;
    pipe.incoming.emplace_back(data + at, data + end);
    at = end;
  }
  test::FakeBackend backend;
  backend.memory.resize(test::FakeBackend::kMemorySize);
  RequestDispatcher dispatcher(backend);
  dispatcher.enumerate();
  serveOneRequest(pipe, dispatcher, boundedAllocator);
  return 0;
}
