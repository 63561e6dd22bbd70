// The dialogs that ask for an address range of the card area shown in a card
// window: search, fill, move, erase, erase check and print. They only
// collect and check values; the card window presets their fields before each
// showing, reads them after "OK" and carries out the operation. The dialogs
// live as long as the program and keep their fields between showings.
//
// Every address is stored in its field as soon as it converts, even when a
// later check keeps the dialog open, so the next showing offers it again.
#pragma once

#include <cstdint>
#include <string>

#include "address_fields.h"
#include "card_access.h"
#include "data_pattern.h"
#include "dialog_lists.h"

namespace tessel {

// Where the focus goes when a dialog is shown.
enum class DialogFocus { OkButton, PatternEdit };

// The start and end edits every range dialog has.
class AddressRangeEdits {
 public:
  uint32_t start = 0;
  uint32_t end = 0;  // inclusive

  void setStartText(std::string text) { startText_ = std::move(text); }
  void setEndText(std::string text) { endText_ = std::move(text); }
  const std::string& startText() const { return startText_; }
  const std::string& endText() const { return endText_; }

 protected:
  void showAddresses();

  std::string startText_;
  std::string endText_;
};

// What search and fill share: the pattern edit, whose emptiness decides
// whether "OK" can be pressed.
class PatternDialogModel : public AddressRangeEdits {
 public:
  DataPattern pattern;  // the last pattern that gave at least one byte

  void setPatternText(std::string text);
  const std::string& patternText() const { return patternText_; }
  bool okEnabled() const { return !patternText_.empty(); }
  DialogFocus focus() const { return okEnabled() ? DialogFocus::OkButton : DialogFocus::PatternEdit; }

 protected:
  explicit PatternDialogModel(CardAccess& access) : access_(access) {}
  // Converts the edit into `pattern`; false, and `pattern` kept, when it
  // gives no byte.
  bool takePattern();

  CardAccess& access_;
  std::string patternText_;
};

class SearchDialogModel : public PatternDialogModel {
 public:
  static constexpr uint8_t kBackward = 0x01;  // options bit 0: search towards lower addresses
  static constexpr uint8_t kMismatch = 0x02;  // options bit 1: find the first byte that differs

  // The card window's repeat-search commands read and set these as well.
  uint8_t options = 0;

  explicit SearchDialogModel(CardAccess& access) : PatternDialogModel(access) {}

  void activate();
  // Radio groups: 0 forward / 1 backward, 0 match / 1 mismatch.
  void chooseDirection(int index) { direction_ = index != 0 ? 1 : 0; }
  void chooseCondition(int index) { condition_ = index != 0 ? 1 : 0; }
  int direction() const { return direction_; }
  int condition() const { return condition_; }

  // Accepts a range within the preset one. A range it does not take keeps
  // the dialog open without a message; a bad number shows error 261.
  DialogStep okBtnClick();

 private:
  int direction_ = 0;
  int condition_ = 0;
};

class FillDialogModel : public PatternDialogModel {
 public:
  explicit FillDialogModel(CardAccess& access) : PatternDialogModel(access) {}

  void activate() { showAddresses(); }
  // A pattern of no byte shows error 260, a bad range error 261.
  DialogStep okBtnClick();
};

// The dialogs that name the area they work on: socket, memory space and region.
class AreaRangeDialogModel : public AddressRangeEdits {
 public:
  uint8_t socket = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint8_t region = 0;

  explicit AreaRangeDialogModel(CardAccess& access) : access_(access) {}

  void activate();
  // Erase check and print: both addresses converted, then the range check.
  DialogStep okBtnClick();

  const AreaLabels& labels() const { return labels_; }

 protected:
  bool convertStart() { return convertAddress(startText_, start, access_.messages()); }
  bool convertEnd() { return convertAddress(endText_, end, access_.messages()); }

  CardAccess& access_;
  AreaLabels labels_;
};

using ECheckDialogModel = AreaRangeDialogModel;
using PrintDialogModel = AreaRangeDialogModel;

// Copies a block within the area the window shows.
class MoveDialogModel : public AreaRangeDialogModel {
 public:
  uint32_t destination = 0;

  explicit MoveDialogModel(CardAccess& access) : AreaRangeDialogModel(access) {}

  void activate();
  // The source range and the whole destination block must lie in the area.
  DialogStep okBtnClick();

  void setDestinationText(std::string text) { destinationText_ = std::move(text); }
  const std::string& destinationText() const { return destinationText_; }

 private:
  std::string destinationText_;
};

// Erases whole erase blocks: the range must start and end on block bounds.
class EraseDialogModel : public AreaRangeDialogModel {
 public:
  // Run an erase check over the same range after the erase; taken from the
  // check box on "OK".
  bool eraseCheck = false;

  explicit EraseDialogModel(CardAccess& access) : AreaRangeDialogModel(access) {}

  // The check box keeps its state between showings, as the dialog does.
  void setOptionChecked(bool checked) { optionChecked_ = checked; }
  bool optionChecked() const { return optionChecked_; }

  DialogStep okBtnClick();

 private:
  uint32_t blockSize() const;

  bool optionChecked_ = false;
};

}  // namespace tessel
