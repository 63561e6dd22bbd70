// The card side of one command: the card manager bound, the sockets polled
// once (the socket table then holds what the card window would see), and
// the socket of the command taken for the program's exclusive use with its
// area selected, all let go again however the command ends.
#pragma once

#include <cstdint>
#include <optional>

#include "arguments.h"
#include "card_access.h"
#include "card_command_context.h"

namespace tesselcmd {

class CardSession {
 public:
  CardSession(cardservice::BindableCardManager& manager, tessel::UserMessages& messages);
  ~CardSession();
  CardSession(const CardSession&) = delete;
  CardSession& operator=(const CardSession&) = delete;

  // False when the card manager cannot be bound (the card access layer
  // shows what its information call answered).
  bool bind();
  // The socket's card present and usable, taken for exclusive use.
  uint16_t claim(uint8_t socket);
  // claim(), then the area selected and described; R_NO_DEVICE for an area
  // the card does not have.
  uint16_t open(const AreaSpec& spec, tessel::CommandArea& area);

  tessel::CardAccess& access() { return access_; }
  uint8_t status(uint8_t socket) const;

 private:
  tessel::CardAccess access_;
  bool attempted_ = false;
  std::optional<uint8_t> locked_;
};

}  // namespace tesselcmd
