// One card window's state and rules: a 256-byte page of one card area, read
// again on every move, and edits written byte by byte and read back. The
// Win32 window only renders what this model tells its view and forwards the
// user's input; the transfer, search and clipboard commands build on the same
// model (beginCommand / endCommand, writeByteChecked, rereadPage).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "card_access.h"
#include "card_window_ports.h"
#include "page_text.h"

namespace tessel {

enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom };

enum class Key {
  Left,
  Right,
  Up,
  Down,
  PageUp,
  PageDown,
  Home,
  End,
  Space,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  C,
  V,
  W,
  Other
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

class CardWindowModel {
 public:
  // Creation (OpenClick): the window of the current selection; reads nothing.
  CardWindowModel(CardAccess& access, CardWindowHost& host, CardWindowView& view);
  ~CardWindowModel();
  CardWindowModel(const CardWindowModel&) = delete;
  CardWindowModel& operator=(const CardWindowModel&) = delete;

  void activate();   // FormActivate
  void firstRead();  // "再読み込み"
  void scroll(ScrollCode code, uint32_t thumbPosition = 0);
  void jump();      // AddrGoto
  void toTop();     // AddrTopIn
  void toBottom();  // AddrBottomIn
  // Keys and typing; `caret` is the list's caret position when the key came.
  // keyDown returns true when it handled the key (the view must not).
  bool keyDown(ListId list, Key key, Modifiers modifiers, unsigned caret);
  void keyPress(ListId list, uint8_t character, unsigned caret);
  void click(ListId list, unsigned caret);
  void popSet();  // "設定変更"
  // The main window's per-socket notification.
  void updateSocketLamps(uint8_t socket, uint8_t status);
  // FormClose: a pending edit written, an ATA card's cache flushed (a failure
  // shown), this window's hold on the socket given back.
  void close();

  // For the commands of the window (transfers, search, clipboard, settings).
  // false when the window may not run one (its first read has not succeeded,
  // or it is busy); otherwise busy is set and a pending edit written.
  bool beginCommand();
  void endCommand();
  void showWindowError(uint16_t code);
  bool writeByteChecked(uint32_t address, uint8_t& value);
  bool rereadPage();  // reads the page at top and redraws; false on failure (shown)
  // After a command changed the card: the page read again (from the area's
  // start when `toStart`, the scroll bar following), the hexadecimal caret,
  // and the character caret too when `bothCarets`, on the page's first byte.
  void showChangedCard(bool toStart, bool bothCarets);
  // The window's write-protect lamp is red: nothing may be written.
  bool writeProtected() const;
  // The address of the byte the hexadecimal list's caret stands on.
  uint32_t caretAddress() const { return top_ + byteIndex_; }
  // A search found `address`: its page shown, both carets on it.
  void showFound(uint32_t address);
  // After a paste at `address` (a byte of the current page): the page read
  // again, both carets back on that byte.
  void showPasted(uint32_t address);
  // The user gave the area another device type or size: the socket's record
  // takes it, the card is told, and the area is shown again from its start.
  void changeDevice(uint8_t type, uint32_t size);
  // Tells the card the area's device type, chip and size again (after the
  // card information display selected region 0); failures are not shown.
  void resendDevice();

  uint8_t socket() const { return request_.socket; }
  uint8_t space() const { return request_.space; }
  unsigned area() const { return area_; }
  uint32_t top() const { return top_; }
  uint32_t areaSize() const { return areaSize_; }
  uint32_t eraseUnit() const { return eraseUnit_; }
  uint8_t deviceType() const { return deviceType_; }
  uint16_t chipId() const { return chipId_; }
  const std::array<uint8_t, kPageBytes>& page() const { return page_; }
  unsigned byteIndex() const { return byteIndex_; }
  Carets carets() const { return carets_; }
  bool pending() const { return pending_; }
  bool holdsLock() const { return lockHeld_; }
  bool busy() const { return busy_; }
  bool removed() const { return removed_; }
  bool readSucceeded() const { return readOnce_; }
  const LampColours& lamps() const { return lamps_; }
  bool closeRequested() const { return closeRequested_; }
  unsigned validBytes() const { return valid_; }  // bytes of the page inside the area

 private:
  enum class WriteOutcome { Written, CardHolds, Failed };

  bool enter();
  bool usable() const { return readOnce_ && !removed_ && !closed_ && !closeRequested_; }
  void readFirstPage();
  bool sendDeviceRecordIfChanged();
  uint32_t lastTop() const;
  unsigned validFrom(uint32_t top) const;
  unsigned lastIndex() const;
  unsigned step() const { return request_.space != 0 ? 2 : 1; }
  bool readInto(uint32_t top, std::array<uint8_t, kPageBytes>& into);
  bool moveTo(uint32_t newTop);
  bool lineScroll(bool down);
  void showWholePage();
  void redrawLine(unsigned index);
  void place(unsigned index, bool lowDigit = false);
  void syncScrollPosition();
  void applyBatteryRule();
  void showLamps(uint8_t status);
  void flushPending();
  WriteOutcome writeByte(uint32_t address, uint8_t& value);
  void afterEdit(unsigned index);
  bool editAllowed() const;
  void moveCaret(ListId list, Key key, unsigned caret);
  void typeDigit(uint8_t character, unsigned caret);
  void typeCharacter(uint8_t character, unsigned caret);
  void runHostCommand(WindowCommand command);
  void flushCard();
  void requestCloseOnce();
  void releaseLock();
  void setCaption(bool withSpace);

  CardAccess& access_;
  CardWindowHost& host_;
  CardWindowView& view_;
  cardservice::SlotRequest request_{};
  unsigned area_ = 0;
  uint32_t top_ = 0;
  uint32_t areaSize_ = 0x10000;
  uint32_t eraseUnit_ = 0;
  uint8_t deviceType_ = 0;
  uint16_t chipId_ = 0;
  std::array<uint8_t, kPageBytes> page_{};
  unsigned byteIndex_ = 0;
  Carets carets_;
  bool pending_ = false;
  uint8_t pendingValue_ = 0;
  uint32_t pendingAddress_ = 0;
  bool flashMode_ = false;
  bool lockHeld_ = false;
  bool busy_ = false;
  bool removed_ = false;
  bool removalGuard_ = false;
  bool errorGate_ = true;
  bool batteryOff_ = false;
  bool readOnce_ = false;
  bool closed_ = false;
  bool closeRequested_ = false;  // the view was asked to close: never twice
  uint8_t status_ = 0;           // the socket's last status seen by this window
  uint8_t pendingOriginal_ = 0;  // the byte before the pending edit, for a failed write
  unsigned valid_ = kPageBytes;  // bytes of the page that lie inside the area
  LampColours lamps_;
};

}  // namespace tessel
