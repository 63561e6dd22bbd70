#include "socket_poll.h"

namespace tessel {

Lamp lampFor(uint8_t status) {
  if (!cardPresent(status)) return Lamp::White;
  return cardUsable(status) ? Lamp::Lime : Lamp::Yellow;
}

uint32_t lampColour(Lamp lamp) {
  constexpr uint32_t kColours[] = {0xFFFFFF, 0x00FF00, 0x00FFFF};
  return kColours[static_cast<unsigned>(lamp)];
}

PollOutcome pollSockets(CardAccess& access) {
  PollOutcome outcome;
  SocketTable& table = access.sockets();
  for (uint8_t socket = 0; socket < table.count && socket < table.info.size(); ++socket) {
    uint8_t status = 0;
    if (access.cardStatus(socket, status) == 0) {
      SocketInfo& info = table.info[socket];
      if (status != info.state) {
        if (!cardPresent(status))
          access.cardSocketOptions(socket, socketOptionByte(table.settings[socket]));
        else if (cardUsable(status))
          access.readSocketInfo(socket, info);
        info.state = status;
        table.state[socket] = status;
        outcome.changes.push_back({socket, status});
      }
    }
    if (cardUsable(table.state[socket])) outcome.openEnabled = true;
  }
  return outcome;
}

}  // namespace tessel
