// The main window's status poll: which lamps change colour, which sockets
// have their card information re-read, and whether a card can be opened.
// The window only draws what this decides.
#pragma once

#include <cstdint>
#include <vector>

#include "card_access.h"

namespace tessel {

enum class Lamp : uint8_t { White, Lime, Yellow };

// White: no card; lime: present and usable; yellow: present but not usable.
Lamp lampFor(uint8_t status);
// The lamp's colour as 0x00BBGGRR.
uint32_t lampColour(Lamp lamp);

struct SocketChange {
  uint8_t socket;
  uint8_t status;
};

struct PollOutcome {
  std::vector<SocketChange> changes;  // sockets whose status changed, in socket order
  bool openEnabled = false;           // at least one socket holds a usable card
};

// One poll of every socket. A socket whose status call fails keeps all it
// had. A changed status is stored; a removed card gets its socket's option
// byte again (the reader forgets it with the card), an arrived usable card
// has its information re-read.
PollOutcome pollSockets(CardAccess& access);

}  // namespace tessel
