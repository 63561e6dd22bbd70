// The open card dialog: which socket, memory space, region and start address
// a new card window shows. The model works on the card access layer's socket
// table and leaves its choice in the current selection and the active area.
#pragma once

#include <cstdint>
#include <string>

#include "card_access.h"
#include "dialog_lists.h"

namespace tessel {

class OpenDialogModel {
 public:
  explicit OpenDialogModel(CardAccess& access);

  // Fills the three lists from the socket table and selects the remembered
  // socket, region and memory space; the address starts at "00000000".
  void activate();
  // A socket without a card is not taken: the list snaps back.
  void socketBoxChange(int index);
  void attributeBoxChange(int index);
  void areaBoxChange(int index) { area_.choose(index); }
  void setOffsetText(std::string text) { offset_ = std::move(text); }

  // Checks the address against the chosen area and stores the choice.
  // StayOpen after a bad address (error 261 shown); CloseCancel when the
  // socket holds no usable card (error 263 shown).
  DialogStep okBtnClick();

  const ChoiceList& socketBox() const { return socket_; }
  const ChoiceList& attributeBox() const { return attribute_; }
  const ChoiceList& areaBox() const { return area_; }
  const std::string& offsetText() const { return offset_; }

  static constexpr std::size_t kOffsetLength = 8;

 private:
  const SocketInfo& info(unsigned socket) const;
  uint8_t state(unsigned socket) const;
  // Memory space and region lists for the current socket's card.
  void fillSpaceAndArea();
  void fillArea();

  CardAccess& access_;
  unsigned socketIndex_ = 0;
  bool noCommonMemory_ = false;
  ChoiceList socket_;
  ChoiceList attribute_;
  ChoiceList area_;
  std::string offset_;
};

}  // namespace tessel
