#include "card_session.h"

#include "result_codes.h"
#include "socket_poll.h"

namespace tesselcmd {

using namespace tessel;

CardSession::CardSession(cardservice::BindableCardManager& manager, UserMessages& messages)
    : access_(manager, messages) {}

CardSession::~CardSession() {
  if (locked_) access_.cardUnlock(*locked_);
  // Also after a failed bind: the manager may be bound with its information
  // call failing. Unbinding what is not bound does nothing.
  if (attempted_) access_.unbindCardService();
}

bool CardSession::bind() {
  attempted_ = true;
  if (!access_.bindCardService()) return false;
  access_.sockets().info.resize(access_.socketCount());
  // One poll, as the main window's would: the socket table gets each card's
  // status and regions, which the loops then read.
  pollSockets(access_);
  return true;
}

uint8_t CardSession::status(uint8_t socket) const {
  return socket < kShownSockets ? access_.sockets().state[socket] : 0;
}

uint16_t CardSession::claim(uint8_t socket) {
  if (socket >= access_.socketCount()) return cardservice::CS_BAD_SOCKET;
  const uint8_t state = status(socket);
  if (!cardPresent(state)) return cardservice::CS_NO_CARD;
  if (!cardUsable(state)) return R_NO_USABLE_CARD;
  if (uint16_t result = access_.cardLock(socket)) return result;
  locked_ = socket;
  return R_SUCCESS;
}

uint16_t CardSession::open(const AreaSpec& spec, CommandArea& area) {
  if (uint16_t result = claim(spec.socket)) return result;
  const uint8_t areaIndex = spec.space != 0 ? static_cast<uint8_t>(kAttributeArea) : spec.region;
  const SocketInfo& info = access_.sockets().info[spec.socket];
  if (info.areaSize[areaIndex] == 0) return R_NO_DEVICE;
  if (spec.space == 0) {
    if (uint16_t result = access_.cardSelectRegion(spec.socket, spec.region)) return result;
    access_.sockets().selectedRegion[spec.socket] = spec.region;
  }
  area = CommandArea{spec.socket,
                     spec.space,
                     areaIndex,
                     info.deviceType[areaIndex],
                     info.eraseUnit[areaIndex],
                     info.areaSize[areaIndex]};
  return R_SUCCESS;
}

}  // namespace tesselcmd
