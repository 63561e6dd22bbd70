// The card access layer: every card operation of the card utility goes
// through here, with one fixed argument shape per function code, 16-bit
// results, and the program-wide socket table that the main window keeps up
// to date and the dialogs and card windows read.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "binding/card_manager_calls.h"
#include "card_service.h"
#include "socket_records.h"
#include "user_ports.h"

namespace tessel {

struct SocketTable {
  uint16_t count = 0;  // sockets of the manager, at most kShownSockets
  std::array<uint8_t, kShownSockets> category{};
  std::array<uint8_t, kShownSockets> state{};           // last status read by the poll
  std::array<uint8_t, kShownSockets> selectedRegion{};  // last FN_SELECT_REGION per socket
  // Card windows holding each socket's exclusive use: the card manager
  // grants it per program, so only the last window to let go may release it.
  std::array<uint8_t, kShownSockets> lockHolds{};
  std::vector<SocketInfo> info;  // one per socket while bound
  std::array<SocketSettings, kShownSockets> settings;

  SocketTable() { settings.fill(defaultSocketSettings()); }
};

// What the open card dialog chose last; a new card window starts from it.
struct CurrentSelection {
  uint16_t socket = 0;
  uint16_t region = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint32_t start = 0;
};

// The area of the card window activated last; dialogs check addresses against it.
struct ActiveArea {
  uint8_t socket = 0;
  uint8_t region = 0;
  uint8_t space = 0;
};

class CardAccess {
 public:
  CardAccess(cardservice::BindableCardManager& manager, UserMessages& messages);

  // BindCardService: binds both entries and reads the socket count and
  // categories; a manager that answers FN_INFO with a failure is reported.
  bool bindCardService();
  // UnbindCardService. Safe to call when nothing is bound.
  void unbindCardService();
  bool bound() const { return bound_; }
  uint16_t socketCount() const { return sockets_.count; }

  uint16_t cardStatus(uint8_t socket, uint8_t& status);
  uint16_t cardGetDevice(const cardservice::SlotRequest& request, cardservice::LegacyDeviceRecord& record);
  uint16_t cardSetDevice(const cardservice::SlotRequest& request,
                         const cardservice::LegacyDeviceRecord& record);
  uint16_t cardRead(const cardservice::SlotRequest& request, void* destination, uint32_t length);
  uint16_t cardWrite(const cardservice::SlotRequest& request, const void* source, uint32_t length);
  uint16_t cardErase(const cardservice::SlotRequest& request, uint32_t length);
  uint16_t cardSelectRegion(uint8_t socket, uint8_t region);
  uint16_t cardSocketOptions(uint8_t socket, uint8_t options);
  uint16_t cardLock(uint8_t socket);
  uint16_t cardUnlock(uint8_t socket);
  uint16_t cardFlush(uint8_t socket);

  uint16_t countRegions(uint8_t socket);
  // Fills `info` from the card; regions of unknown type take the socket's
  // stored default when its settings say so.
  void readSocketInfo(uint8_t socket, SocketInfo& info);
  // The highest other socket with a usable card, else `socket` itself.
  uint8_t findOtherReadySocket(uint8_t socket) const;
  // start <= address < size of the active area, else error 261 is shown.
  bool checkAddressRange(uint32_t start, uint32_t address);
  // Size of an area of a socket's record; 0 for what does not exist.
  uint32_t areaSize(uint8_t socket, uint8_t space, uint8_t region) const;

  void showCardError(uint16_t code);
  UserMessages& messages() { return messages_; }

  SocketTable& sockets() { return sockets_; }
  const SocketTable& sockets() const { return sockets_; }
  CurrentSelection& selection() { return selection_; }
  ActiveArea& activeArea() { return active_; }
  const ActiveArea& activeArea() const { return active_; }

 private:
  uint16_t call(uint32_t code, const cardservice::SlotRequest& request, void* buffer, uint32_t length);
  uint16_t callSocket(uint32_t code, uint8_t socket, void* buffer, uint32_t length);

  cardservice::BindableCardManager& manager_;
  UserMessages& messages_;
  bool bound_ = false;
  SocketTable sockets_;
  CurrentSelection selection_;
  ActiveArea active_;
};

}  // namespace tessel
