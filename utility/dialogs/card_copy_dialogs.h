// The card copy and card compare dialogs: one dialog under two captions that
// takes a range of the card window's area and a destination on another (or
// the same) socket's card, and checks that the range fits both areas. The
// copy and compare loops belong to the card window.
#pragma once

#include <cstdint>
#include <string>

#include "address_fields.h"
#include "card_access.h"
#include "dialog_lists.h"

namespace tessel {

enum class CardCopyKind { Copy, Compare };

class CardCopyDialogModel {
 public:
  // Preset by the card window before each showing, read by it after "OK".
  uint8_t socket = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint8_t region = 0;
  uint32_t start = 0;
  uint32_t end = 0;  // inclusive
  uint8_t destSocket = 0;
  uint8_t destSpace = 0;  // the index in DAttributeBox: 0 "Common", 1 "Attribute"
  uint8_t destRegion = 0;
  uint32_t destStart = 0;

  CardCopyDialogModel(CardAccess& access, CardCopyKind kind) : access_(access), kind_(kind) {}

  CardCopyKind kind() const { return kind_; }

  // Presets the destination for a window on (socket, space, region) of an
  // area of `areaSize` bytes: the whole area, to the start of the first
  // region of the highest other usable card (else the same card).
  void preset(uint8_t windowSocket, uint8_t windowSpace, uint8_t windowRegion, uint32_t areaSize);

  void activate();
  // A socket without a usable card is refused: the list snaps back.
  void destSocketChange(int index);
  void destRegionChange(int index);
  void destSpaceChange(int index);

  // The checks in order; a failure shows its error and keeps the dialog open.
  DialogStep okBtnClick();

  void setStartText(std::string text) { startText_ = std::move(text); }
  void setEndText(std::string text) { endText_ = std::move(text); }
  void setDestStartText(std::string text) { destStartText_ = std::move(text); }
  const std::string& startText() const { return startText_; }
  const std::string& endText() const { return endText_; }
  const std::string& destStartText() const { return destStartText_; }
  // DEOAddr: the last address of the chosen destination area, empty when
  // that area does not exist.
  const std::string& destEndInfo() const { return destEndInfo_; }
  const AreaLabels& labels() const { return labels_; }
  const ChoiceList& destSocketBox() const { return socketBox_; }
  const ChoiceList& destAttributeBox() const { return attributeBox_; }
  const ChoiceList& destAreaBox() const { return areaBox_; }

 private:
  // Size of the area the lists choose; 0 when there is none.
  uint32_t chosenDestSize() const;
  void fillAreaBox(uint8_t socketIndex);
  void showDestEnd();
  // Copying onto an overlapping part of the same area would overwrite
  // source bytes before they are read in one direction or the other.
  bool overlapsSource(uint32_t length) const;

  CardAccess& access_;
  CardCopyKind kind_;
  AreaLabels labels_;
  ChoiceList socketBox_;
  ChoiceList attributeBox_;
  ChoiceList areaBox_;
  std::string startText_;
  std::string endText_;
  std::string destStartText_;
  std::string destEndInfo_;
};

}  // namespace tessel
