// The programs the service is serving. A pipe client is a fresh connection for
// every request, so the service recognises "the same program" by the process
// id of the connection's client, and keeps per program what it holds and
// which reader changes it has been told about. A program that ends is
// forgotten (and loses its holds) at the next request; the record keeps the
// process watched, so its id cannot be given to another process meanwhile.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace zrb2x::service {

// A process id; 0 when the system could not name the client. All unnamed
// clients count as one program that never ends.
using ClientId = uint32_t;
constexpr ClientId kUnknownClient = 0;

class ProcessLife {
 public:
  virtual ~ProcessLife() = default;
  virtual bool ended() = 0;
};

// The Win32 layer opens the process for waiting; tests decide when it ends.
class ProcessWatcher {
 public:
  virtual ~ProcessWatcher() = default;
  // Null when the process cannot be watched (it then lives until it detaches).
  virtual std::unique_ptr<ProcessLife> watch(ClientId client) = 0;
};

struct ClientRecord {
  std::unique_ptr<ProcessLife> life;
  uint64_t firstSeen = 0;  // rescan generation of the first request
  // Per socket number: up to which rescan generation the program has been
  // shown a card change by a status answer, and by a command answer.
  std::map<uint32_t, uint64_t> statusToldAt, commandToldAt;
};

class ClientRegistry {
 public:
  explicit ClientRegistry(ProcessWatcher* watcher) : watcher_(watcher) {}

  ClientRecord& contact(ClientId client, uint64_t generation);
  void forget(ClientId client) { clients_.erase(client); }
  // Removes every program whose process has ended; `ended` is told each one
  // before it goes.
  template <typename F>
  void sweep(F ended) {
    for (auto it = clients_.begin(); it != clients_.end();) {
      if (it->second.life && it->second.life->ended()) {
        ended(it->first);
        it = clients_.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Whether a program first seen before `generation` is still served.
  bool anyoneSeenBefore(uint64_t generation) const;

 private:
  ProcessWatcher* watcher_;
  std::map<ClientId, ClientRecord> clients_;
};

}  // namespace zrb2x::service
