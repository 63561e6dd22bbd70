// The server's side of an exchange: what goes over the wire for well-formed,
// malformed and hostile requests, and whether the server keeps serving.
#include <gtest/gtest.h>

#include "fake_backend.h"
#include "pipe/scripted_pipe.h"
#include "server_exchange.h"

namespace zrb2x::service {
namespace {

using namespace test;
namespace code = pipe::code;
namespace status = pipe::status;

pipe::ServiceRequest req(uint32_t c, uint32_t dir, uint32_t length, uint32_t count, uint32_t address = 0) {
  pipe::ServiceRequest r{};
  r.code = c;
  r.direction = dir;
  r.length = length;
  r.count = count;
  r.address = address;
  return r;
}

// Blocks above 1 MiB cannot be had, as a 32-bit service finds with a 4 GiB one.
std::unique_ptr<uint8_t[]> boundedAllocator(uint32_t size) {
  return size > (1u << 20) ? nullptr : allocateBlock(size);
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { dispatcher.enumerate(); }
  ExchangeEnd serve(std::vector<Message> messages) {
    pipe = ScriptedPipe{};
    pipe.incoming.assign(messages.begin(), messages.end());
    return serveOneRequest(pipe, dispatcher, boundedAllocator);
  }
  FakeBackend backend;
  RequestDispatcher dispatcher{backend};
  ScriptedPipe pipe;
};

TEST_F(ExchangeTest, ReadSendsTheBlockThenTheReply) {
  for (int i = 0; i < 8; ++i) backend.memory[0x40 + i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(serve({messageOf(req(code::kReadCommon, 1, 8, 1, 0x40))}), ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 2u);
  EXPECT_EQ(pipe.written[0], (Message{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7}));
  EXPECT_EQ(replyOf(pipe.written[1]).status, status::kOk);
}

TEST_F(ExchangeTest, WriteTakesTheBlockBeforeTheOperation) {
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 4, 1, 0x10)), Message{9, 8, 7, 6}}),
            ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 1u);
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kOk);
  EXPECT_EQ(backend.memory[0x13], 6);
}

TEST_F(ExchangeTest, TransferDirectionWithoutABlockIsAnsweredAtOnce) {
  EXPECT_EQ(serve({messageOf(req(code::kReadCommon, 1, 16, 0))}), ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 1u);  // no data block follows
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kMissingData);
}

TEST_F(ExchangeTest, UnknownCodesStillExchangeTheAnnouncedBlock) {
  EXPECT_EQ(serve({messageOf(req(0x53430099, 1, 16, 1))}), ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 2u);
  EXPECT_EQ(pipe.written[0], Message(16, 0));
  EXPECT_EQ(replyOf(pipe.written[1]).status, status::kUnknownRequest);

  EXPECT_EQ(serve({messageOf(req(0x53430099, 2, 16, 1)), Message(16, 1)}), ExchangeEnd::Replied);
  EXPECT_TRUE(pipe.incoming.empty());
  ASSERT_EQ(pipe.written.size(), 1u);
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kUnknownRequest);
}

TEST_F(ExchangeTest, WrappingSizeExchangesTheWrappedBlockAndTouchesNothing) {
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 0x80000001, 2)), Message{1, 2}}),
            ExchangeEnd::Replied);
  EXPECT_EQ(replyOf(pipe.written.back()).status, status::kMissingData);
  EXPECT_EQ(serve({messageOf(req(code::kReadCommon, 1, 0x80000001, 2))}), ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 2u);
  EXPECT_EQ(pipe.written[0].size(), 2u);
  EXPECT_EQ(replyOf(pipe.written[1]).status, status::kMissingData);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(ExchangeTest, HeadersThatAreNotOneWholeRecordAreNeverActedOn) {
  Message header = messageOf(req(code::kEraseMemory, 0, 0x1000, 0));
  Message shortHeader(header.begin(), header.begin() + 20);
  Message longHeader = header;
  longHeader.resize(header.size() + 100, 0x55);
  for (const Message& m : {shortHeader, longHeader, Message{}}) {
    EXPECT_EQ(serve({m}), ExchangeEnd::Replied);
    ASSERT_EQ(pipe.written.size(), 1u);
    EXPECT_EQ(replyOf(pipe.written[0]).status, status::kMissingData);
    EXPECT_TRUE(pipe.incoming.empty());
  }
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(ExchangeTest, DataBlocksOfAnotherSizeAreNeverActedOn) {
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 8, 1)), Message(5, 1)}), ExchangeEnd::Replied);
  EXPECT_EQ(replyOf(pipe.written.back()).status, status::kMissingData);
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 8, 1)), Message(12, 1)}), ExchangeEnd::Replied);
  EXPECT_EQ(replyOf(pipe.written.back()).status, status::kMissingData);
  EXPECT_TRUE(pipe.incoming.empty());
  EXPECT_TRUE(backend.calls.empty());
}

// Counts what the server asks of the allocator.
uint32_t allocationsAsked = 0;
std::unique_ptr<uint8_t[]> countingAllocator(uint32_t size) {
  ++allocationsAsked;
  return boundedAllocator(size);
}

TEST_F(ExchangeTest, BlocksLargerThanAnyCardAreRefusedBeforeAnythingIsAllocated) {
  // A 64-bit service could allocate 4 GiB and then try to send it: the length
  // itself is refused, whatever memory there is.
  allocationsAsked = 0;
  auto serveCounting = [&](std::vector<Message> messages) {
    pipe = ScriptedPipe{};
    pipe.incoming.assign(messages.begin(), messages.end());
    return serveOneRequest(pipe, dispatcher, countingAllocator);
  };
  const uint32_t justAbove = pipe::kMaxDataBlock + 2;
  // Announced to the server: what the client sends is taken in whole, then refused.
  EXPECT_EQ(serveCounting({messageOf(req(code::kWriteCommon, 2, 0xFFFFFFF0, 1)), Message(3u << 20, 0x77)}),
            ExchangeEnd::Replied);
  EXPECT_TRUE(pipe.incoming.empty());
  ASSERT_EQ(pipe.written.size(), 1u);
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kMissingData);
  EXPECT_EQ(replyOf(pipe.written[0]).systemError, 0u);
  EXPECT_EQ(serveCounting({messageOf(req(code::kWriteSectors, 2, justAbove / 2, 2)), Message(16, 1)}),
            ExchangeEnd::Replied);
  EXPECT_EQ(replyOf(pipe.written.back()).status, status::kMissingData);
  // Asked of the server: the reply comes alone, where the block would be.
  for (uint32_t length : {0xFFFFFFF0u, justAbove}) {
    EXPECT_EQ(serveCounting({messageOf(req(code::kReadCommon, 1, length, 1))}), ExchangeEnd::Replied);
    ASSERT_EQ(pipe.written.size(), 1u);
    EXPECT_EQ(replyOf(pipe.written[0]).status, status::kMissingData);
  }
  EXPECT_EQ(allocationsAsked, 0u);
  EXPECT_TRUE(backend.calls.empty());

  // The largest card area itself is a length like any other.
  EXPECT_EQ(serveCounting({messageOf(req(code::kReadCommon, 1, pipe::kMaxDataBlock, 1))}),
            ExchangeEnd::Replied);
  EXPECT_EQ(allocationsAsked, 1u);
}

TEST_F(ExchangeTest, ABlockThatCannotBeAllocatedIsRefusedAndTheServerGoesOn) {
  // The client announces 2 MiB (more than this allocator gives) and sends a
  // first piece; it is taken in whole and refused.
  Message big(3u << 20, 0x77);
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 1u << 20, 2)), big}), ExchangeEnd::Replied);
  EXPECT_TRUE(pipe.incoming.empty());
  ASSERT_EQ(pipe.written.size(), 1u);
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kCommunicationFailure);
  EXPECT_EQ(replyOf(pipe.written[0]).systemError, pipe::kErrorNotEnoughMemory);

  EXPECT_EQ(serve({messageOf(req(code::kReadCommon, 1, 2u << 20, 1))}), ExchangeEnd::Replied);
  ASSERT_EQ(pipe.written.size(), 1u);
  EXPECT_EQ(replyOf(pipe.written[0]).status, status::kCommunicationFailure);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(ExchangeTest, AClientLostMidExchangeGetsNothingAndNothingIsDone) {
  EXPECT_EQ(serve({messageOf(req(code::kWriteCommon, 2, 8, 1))}), ExchangeEnd::ClientLost);
  EXPECT_EQ(serve({}), ExchangeEnd::ClientLost);
  EXPECT_TRUE(pipe.written.empty());
  EXPECT_TRUE(backend.calls.empty());
  pipe = ScriptedPipe{};
  pipe.incoming = {messageOf(req(code::kReadCommon, 1, 8, 1))};
  pipe.failWriteAfter = 0;
  EXPECT_EQ(serveOneRequest(pipe, dispatcher, boundedAllocator), ExchangeEnd::ClientLost);
}

// A listener over a list of scripted connections; the stop event comes when
// the list is used up.
class ScriptedListener : public PipeListener {
 public:
  std::deque<ScriptedPipe> clients;
  std::vector<std::vector<Message>> served;
  std::function<void()> beforeWait;
  ConnectOutcome waitForClient() override {
    if (beforeWait) beforeWait();
    if (clients.empty()) return ConnectOutcome::Stopped;
    current = std::move(clients.front());
    clients.pop_front();
    return ConnectOutcome::Connected;
  }
  ServerPipe& connection() override { return current; }
  void disconnect() override { served.push_back(current.written); }
  ScriptedPipe current;
};

TEST_F(ExchangeTest, ServerLoopKeepsServingPastBrokenClientsAndStopsOnTheStopEvent) {
  ScriptedListener listener;
  ScriptedPipe broken;  // says nothing and goes away
  ScriptedPipe count;
  count.incoming = {messageOf(req(code::kCountDevices, 1, 4, 1))};
  ScriptedPipe stopped;  // the stop event fires while the server waits for its block
  stopped.incoming = {messageOf(req(code::kWriteCommon, 2, 4, 1))};
  stopped.stopWhenEmpty = true;
  ScriptedPipe never;
  never.incoming = {messageOf(req(code::kAttach, 0, 0, 0))};
  listener.clients = {broken, count, stopped, never};
  int waits = 0;
  listener.beforeWait = [&] {
    // A device plugged in while the first client is served is counted
    // before the next wait.
    if (++waits == 2) {
      backend.devices = 5;
      dispatcher.noteDeviceChange();
    }
  };
  runServerLoop(listener, dispatcher, boundedAllocator);
  ASSERT_EQ(listener.served.size(), 3u);
  EXPECT_TRUE(listener.served[0].empty());
  ASSERT_EQ(listener.served[1].size(), 2u);
  EXPECT_EQ(listener.served[1][0], (Message{5, 0, 0, 0}));
  EXPECT_TRUE(listener.served[2].empty());
  EXPECT_EQ(listener.clients.size(), 1u);  // never served: the loop ended
}

}  // namespace
}  // namespace zrb2x::service
