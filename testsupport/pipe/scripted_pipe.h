// A service-side connection whose client side is a script of messages, shared
// by the service's tests, its fuzz target and the pipe client's loopback
// tests: reads take the queued messages in order (message boundaries kept, as
// in a message-type pipe), writes are recorded. An exhausted script reads as a
// client that has gone away.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "pipe_protocol.h"
#include "server_pipe.h"

namespace zrb2x::service::test {

using Message = std::vector<uint8_t>;

inline Message messageOf(const pipe::ServiceRequest& r) {
  Message m(sizeof r);
  std::memcpy(m.data(), &r, sizeof r);
  return m;
}

inline pipe::ServiceReply replyOf(const Message& m) {
  pipe::ServiceReply reply{0xFFFFFFFF, 0xFFFFFFFF};
  if (m.size() == sizeof reply) std::memcpy(&reply, m.data(), sizeof reply);
  return reply;
}

class ScriptedPipe : public ServerPipe {
 public:
  std::deque<Message> incoming;
  std::vector<Message> written;
  bool stopWhenEmpty = false;  // an exhausted script is the stop event instead
  size_t failWriteAfter = SIZE_MAX;

  IoResult read(void* buffer, uint32_t size) override {
    if (incoming.empty()) return {stopWhenEmpty ? IoStatus::Stopped : IoStatus::Failed, 0};
    Message& m = incoming.front();
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(size, m.size()));
    if (n) std::memcpy(buffer, m.data(), n);
    if (n < m.size()) {
      m.erase(m.begin(), m.begin() + n);
      return {IoStatus::MoreData, n};
    }
    incoming.pop_front();
    return {IoStatus::Done, n};
  }
  IoResult write(const void* data, uint32_t size) override {
    if (written.size() >= failWriteAfter) return {IoStatus::Failed, 0};
    auto* p = static_cast<const uint8_t*>(data);
    written.emplace_back(p, p + size);
    return {IoStatus::Done, size};
  }
};

}  // namespace zrb2x::service::test
