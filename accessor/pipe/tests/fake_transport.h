// Pipe transports for the client's native tests: one that scripts the
// system's answers and records what the client did, and one that hands each
// exchange to the service's own request server (a loopback pipe).
#pragma once

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "pipe/scripted_pipe.h"
#include "pipe_transport.h"
#include "request_dispatcher.h"
#include "server_exchange.h"

namespace zrb2x::pipe::test {

using Message = std::vector<uint8_t>;

class FakeTransport : public PipeTransport {
 public:
  bool mutexExists = true;
  bool mutexOpen = false;
  std::deque<MutexWait> waits;  // default: Acquired
  std::deque<PipeOpen> opens;   // default: Opened
  bool closeSucceeds = true;
  size_t failWriteAt = SIZE_MAX;  // index of the write that fails
  std::deque<Message> toRead;     // what the server sends
  std::vector<Message> written;
  std::vector<uint32_t> sleeps;
  std::vector<std::string> events;
  uint32_t lastError = 0;
  int held = 0;  // mutex ownership count

  bool openMutex() override {
    mutexOpen = mutexExists;
    events.push_back("openMutex");
    return mutexOpen;
  }
  void closeMutex() override {
    mutexOpen = false;
    events.push_back("closeMutex");
  }
  MutexWait waitMutex(uint32_t timeoutMs) override {
    lastWait = timeoutMs;
    MutexWait w = waits.empty() ? MutexWait::Acquired : waits.front();
    if (!waits.empty()) waits.pop_front();
    if (w == MutexWait::Acquired || w == MutexWait::Abandoned) ++held;
    return w;
  }
  void releaseMutex() override { --held; }
  PipeOpen openPipe() override {
    lastError = 0;
    events.push_back("open");
    PipeOpen o = opens.empty() ? PipeOpen::Opened : opens.front();
    if (!opens.empty()) opens.pop_front();
    return o;
  }
  bool writeMessage(const void* data, uint32_t size) override {
    if (written.size() == failWriteAt) return false;
    auto* p = static_cast<const uint8_t*>(data);
    written.emplace_back(p, p + size);
    return true;
  }
  bool readMessage(void* data, uint32_t size) override {
    beforeRead();
    if (toRead.empty()) return false;
    Message m = toRead.front();
    toRead.pop_front();
    std::memcpy(data, m.data(), std::min<size_t>(size, m.size()));
    return m.size() == size;
  }
  bool closePipe() override {
    events.push_back("close");
    return closeSucceeds;
  }
  void sleep(uint32_t ms) override { sleeps.push_back(ms); }
  void setLastError(uint32_t error) override { lastError = error; }
  uint32_t readLastError() override { return lastError; }

  uint32_t lastWait = 0;

 protected:
  virtual void beforeRead() {}
};

// Every exchange is served by the service's request server over the given
// dispatcher, as the pipe thread would serve it.
class LoopbackTransport : public FakeTransport {
 public:
  explicit LoopbackTransport(service::RequestDispatcher& dispatcher) : dispatcher_(dispatcher) {}
  PipeOpen openPipe() override {
    served_ = false;
    written.clear();
    return FakeTransport::openPipe();
  }

 protected:
  void beforeRead() override {
    if (served_) return;
    served_ = true;
    service::test::ScriptedPipe server;
    server.incoming.assign(written.begin(), written.end());
    service::serveOneRequest(server, dispatcher_);
    toRead.assign(server.written.begin(), server.written.end());
  }

 private:
  service::RequestDispatcher& dispatcher_;
  bool served_ = false;
};

}  // namespace zrb2x::pipe::test
