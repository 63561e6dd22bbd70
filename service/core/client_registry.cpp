#include "client_registry.h"

namespace zrb2x::service {

ClientRecord& ClientRegistry::contact(ClientId client, uint64_t generation) {
  auto found = clients_.find(client);
  if (found != clients_.end()) return found->second;
  ClientRecord& record = clients_[client];
  record.firstSeen = generation;
  if (watcher_ && client != kUnknownClient) record.life = watcher_->watch(client);
  return record;
}

bool ClientRegistry::anyoneSeenBefore(uint64_t generation) const {
  for (const auto& [id, record] : clients_)
    if (record.firstSeen < generation) return true;
  return false;
}

}  // namespace zrb2x::service
