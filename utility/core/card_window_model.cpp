// How the window behaves where a card or the user could otherwise lead it
// astray:
// - The page, top and screen change together, only after a successful read.
// - A half-typed byte is written to its own address before anything else the
//   window does (move, click, command, re-target, close) and dropped when the
//   card is pulled; it never lands on another byte or card.
// - An area smaller than a page, or whose size is no multiple of 16, shows its
//   bytes and blanks after them; no read, write or caret goes past its end.
// - Flash bytes are written only when they read 0xFF, from either list, so an
//   edit never leaves the AND of old and new on the card.
// - The view is asked to close once; the socket's lock is given back by the
//   last window that holds it.
#include "card_window_model.h"

#include <algorithm>
#include <optional>

#include "device_tables.h"
#include "number_entry.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {

using cardservice::LegacyDeviceRecord;
using cardservice::SlotRequest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLime = 0x00FF00;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kYellow = 0x00FFFF;

constexpr uint8_t kStatusProtect = 0x01;
constexpr uint8_t kStatusBatteryDead = 0x10;
constexpr uint8_t kStatusBatteryLow = 0x20;

// Who may change a byte of an area, by its device type. Every type not
// listed is a flash type: those only take bytes that read 0xFF, so they are
// the most careful default for a code the program does not know.
enum class EditRule { Always, WithAtaMark, Never, WithFlashMark };
struct EditRow {
  uint8_t type;
  EditRule rule;
};
constexpr EditRow kEditRules[] = {
    {0, EditRule::Always},  // SRAM
    {1, EditRule::Always},  // EEPROM
    {kTypeAta, EditRule::WithAtaMark},
    {kTypeUnknown, EditRule::Never},
};

EditRule editRuleOf(uint8_t type) {
  for (const EditRow& row : kEditRules)
    if (row.type == type) return row.rule;
  return EditRule::WithFlashMark;
}

bool isFlashType(uint8_t type) { return editRuleOf(type) == EditRule::WithFlashMark; }

std::string hexDigits(uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kHex[value & 0x0F];
  return out;
}

bool isHexDigit(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

uint8_t digitValue(uint8_t c) {
  if (c >= 'a') c = static_cast<uint8_t>(c - 'a' + 'A');
  return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
}

// The jump box's text read as hexadecimal; what cannot be read is taken as
// the highest address, which every area refuses.
uint32_t jumpTarget(const std::string& text) {
  std::string_view trimmed = text;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  std::string hexText = "$";  // appended: GCC 12 warns falsely on "$" + std::string
  hexText += trimmed;
  std::optional<int32_t> value = convertInteger(hexText);
  return value ? static_cast<uint32_t>(*value) : 0xFFFFFFFFu;
}

}  // namespace

CardWindowModel::CardWindowModel(CardAccess& access, CardWindowHost& host, CardWindowView& view)
    : access_(access), host_(host), view_(view) {
  const CurrentSelection& selection = access_.selection();
  request_ = SlotRequest{static_cast<uint8_t>(selection.socket), selection.space, selection.start};
  area_ = selection.space != 0 ? kAttributeArea : selection.region;
  top_ = selection.start & ~(kLineBytes - 1);
  pendingAddress_ = selection.start;
  setCaption(false);
  updateSocketLamps(request_.socket,
                    request_.socket < kShownSockets ? access_.sockets().state[request_.socket] : 0);
}

CardWindowModel::~CardWindowModel() { releaseLock(); }

// ---- Busy, errors, closing --------------------------------------------------

bool CardWindowModel::enter() {
  if (busy_ || closed_ || closeRequested_) return false;
  busy_ = true;
  return true;
}

bool CardWindowModel::beginCommand() {
  if (!usable() || busy_) return false;
  busy_ = true;
  flushPending();
  return true;
}

void CardWindowModel::endCommand() {
  busy_ = false;
  if (removed_ && !closeRequested_ && !closed_) {
    showWindowError(R_CARD_REMOVED);
    requestCloseOnce();
  }
}

void CardWindowModel::showWindowError(uint16_t code) {
  if (!errorGate_ || code == R_SUCCESS) return;
  errorGate_ = false;
  access_.showCardError(code);
  errorGate_ = true;
}

void CardWindowModel::requestCloseOnce() {
  if (closeRequested_ || closed_) return;
  closeRequested_ = true;
  view_.requestClose();
}

void CardWindowModel::releaseLock() {
  if (!lockHeld_) return;
  lockHeld_ = false;
  if (request_.socket >= kShownSockets) return;
  // The card manager grants the socket to the program, not to a window: it
  // is given back only when no other window of the socket still uses it.
  uint8_t& holders = access_.sockets().lockHolds[request_.socket];
  if (holders > 0) --holders;
  if (holders == 0) access_.cardUnlock(request_.socket);
}

void CardWindowModel::close() {
  if (closed_) return;
  // The window is going: a removal seen while a message below is up must not
  // ask for its closing once more.
  closeRequested_ = true;
  // A pending edit belongs to this card; once the card is gone it is dropped.
  if (removed_) pending_ = false;
  flushPending();
  if (deviceType_ == kTypeAta && lockHeld_ && !removed_) flushCard();
  closed_ = true;
  releaseLock();
}

void CardWindowModel::flushCard() {
  uint16_t result = access_.cardFlush(request_.socket);
  if (result != R_SUCCESS) showWindowError(result);
}

// ---- Lamps ---------------------------------------------------------------------

void CardWindowModel::applyBatteryRule() {
  const uint8_t socket = request_.socket;
  const uint8_t category = socket < kShownSockets ? access_.sockets().category[socket] : 0;
  batteryOff_ = host_.ntVersion5() && category == 0 && deviceType_ == 0;
  lamps_.batteryEnabled = !batteryOff_;
  if (batteryOff_)
    lamps_.battery = kWhite;
  else if (cardUsable(status_))
    showLamps(status_);  // the battery lamp takes its colour again
  view_.setLamps(lamps_);
}

void CardWindowModel::showLamps(uint8_t status) {
  lamps_.card = kLime;
  lamps_.protect = (status & kStatusProtect) != 0 ? kRed : kLime;
  if (batteryOff_)
    lamps_.battery = kWhite;
  else if ((status & kStatusBatteryDead) != 0)
    lamps_.battery = kRed;
  else if ((status & kStatusBatteryLow) != 0)
    lamps_.battery = kYellow;
  else
    lamps_.battery = kLime;
}

void CardWindowModel::updateSocketLamps(uint8_t socket, uint8_t status) {
  if (socket != request_.socket || closed_) return;
  status_ = status;
  if (cardUsable(status)) {
    showLamps(status);
    view_.setLamps(lamps_);
    return;
  }
  lamps_.card = lamps_.protect = lamps_.battery = kWhite;
  view_.setLamps(lamps_);
  if (removalGuard_) return;
  removalGuard_ = true;
  removed_ = true;
  pending_ = false;  // the byte's card is gone
  // A running command finds the flag at its end (endCommand) and closes then.
  if (!busy_ && !closeRequested_) {
    const bool ataChanges = deviceType_ == kTypeAta && host_.ataEditChecked();
    showWindowError(ataChanges ? R_CARD_REMOVED_UNSAVED : R_CARD_REMOVED);
    requestCloseOnce();
  }
  removalGuard_ = false;
}

// ---- Activation and the first read -----------------------------------------------

void CardWindowModel::setCaption(bool withSpace) {
  std::string caption(text(sid::kWindowSocket));
  caption += std::to_string(request_.socket + 1);
  if (withSpace) caption += text(request_.space != 0 ? sid::kWindowAttribute : sid::kWindowCommon);
  view_.setCaption(caption);
}

void CardWindowModel::activate() {
  if (closed_) return;
  applyBatteryRule();
  // While the progress window is open the running command owns the card.
  if (host_.progressActive() || busy_) return;
  const uint8_t socket = request_.socket;
  if (socket >= kShownSockets || !cardPresent(access_.sockets().state[socket])) return;
  if (!enter()) return;
  SocketTable& sockets = access_.sockets();
  if (sockets.selectedRegion[socket] != area_) {
    uint16_t result = access_.cardSelectRegion(socket, static_cast<uint8_t>(area_ & 3));
    if (result == R_SUCCESS)
      sockets.selectedRegion[socket] = static_cast<uint8_t>(area_);
    else
      showWindowError(result);
  }
  readFirstPage();
  access_.activeArea() = ActiveArea{socket, static_cast<uint8_t>(area_ & 3), request_.space};
  endCommand();
}

void CardWindowModel::firstRead() {
  if (!enter()) return;
  readFirstPage();
  endCommand();
}

void CardWindowModel::readFirstPage() {
  flushPending();
  const uint8_t socket = request_.socket;
  if (socket >= kShownSockets || !cardPresent(access_.sockets().state[socket])) return;
  SocketTable& sockets = access_.sockets();

  if (!lockHeld_) {
    uint16_t result = access_.cardLock(socket);
    if (result != R_SUCCESS) {
      readOnce_ = false;
      view_.clearAddressesAndChars();
      showWindowError(result);
      view_.minimise();
      return;
    }
    lockHeld_ = true;
    ++sockets.lockHolds[socket];
  }
  // Until this read succeeds the window's area is not known: it refuses
  // commands and edits.
  readOnce_ = false;
  if (access_.cardSelectRegion(socket, static_cast<uint8_t>(area_ & 3)) != R_SUCCESS) return;
  sockets.selectedRegion[socket] = static_cast<uint8_t>(area_);

  const uint32_t size =
      socket < sockets.info.size() && area_ < kAreaCount ? sockets.info[socket].areaSize[area_] : 0;
  if (size == 0) {
    showWindowError(R_NO_DEVICE);
    return;
  }
  const SocketInfo& info = sockets.info[socket];
  areaSize_ = size;
  eraseUnit_ = info.eraseUnit[area_];
  deviceType_ = info.deviceType[area_];
  chipId_ = info.chipId[area_];
  if (!sendDeviceRecordIfChanged()) return;

  applyBatteryRule();
  top_ = std::min(top_, lastTop());
  view_.setScrollRange(lastTop() / kLineBytes);
  view_.setScrollPosition(top_ / kLineBytes);
  setCaption(true);
  std::string status(text(sid::kStatusRegion));
  status += std::to_string((area_ & 3) + 1);
  status += text(sid::kStatusType);
  status += deviceTypeName(deviceType_);
  status += text(sid::kStatusId);
  status += hexDigits(chipId_ & 0xFF, 2) + hexDigits(chipId_ >> 8, 2);
  status += text(sid::kStatusSize);
  status += hexDigits(areaSize_, 8);
  view_.setStatus(status);

  std::array<uint8_t, kPageBytes> fresh{};
  if (!readInto(top_, fresh)) return;
  page_ = fresh;
  valid_ = validFrom(top_);
  readOnce_ = true;
  showWholePage();
  place(0);
}

// The card keeps its own record of each region. It is told the program's view
// only where that differs from what it reports, which is where a stored
// default replaced a region of unknown type; the record goes to the region's
// own look-up offset, found by walking the regions before it as the card
// places them. Only type and size are compared: the card builds the chip
// identifier from the type by its own table, which need not be the program's.
bool CardWindowModel::sendDeviceRecordIfChanged() {
  SlotRequest lookUp{request_.socket, request_.space, 0};
  if (request_.space == 0) {
    for (unsigned region = 0; region < area_; ++region) {
      LegacyDeviceRecord before{};
      if (access_.cardGetDevice(lookUp, before) != R_SUCCESS) return true;  // nowhere to send it
      lookUp.offset += before.size;
    }
  }
  LegacyDeviceRecord reported{};
  if (access_.cardGetDevice(lookUp, reported) != R_SUCCESS) return true;
  if (reported.type == deviceType_ && reported.size == areaSize_) return true;
  uint16_t result = access_.cardSetDevice(lookUp, LegacyDeviceRecord{deviceType_, chipId_, areaSize_});
  if (result == R_SUCCESS) return true;
  showWindowError(result);
  return false;
}

// ---- Pages ---------------------------------------------------------------------

// The top of the last page: the page whose last line holds the area's last
// byte. An area smaller than a page has its only page at 0.
uint32_t CardWindowModel::lastTop() const {
  const uint64_t lines = (uint64_t{areaSize_} + kLineBytes - 1) / kLineBytes;
  return lines > kPageLines ? static_cast<uint32_t>((lines - kPageLines) * kLineBytes) : 0;
}

unsigned CardWindowModel::validFrom(uint32_t top) const {
  return top >= areaSize_ ? 0 : static_cast<unsigned>(std::min<uint32_t>(areaSize_ - top, kPageBytes));
}

// The last byte the carets may reach: in attribute memory only even bytes hold data.
unsigned CardWindowModel::lastIndex() const {
  unsigned last = valid_ == 0 ? 0 : valid_ - 1;
  return request_.space != 0 ? last & ~1u : last;
}

bool CardWindowModel::readInto(uint32_t top, std::array<uint8_t, kPageBytes>& into) {
  into.fill(0);
  const unsigned length = validFrom(top);
  if (length == 0) return false;
  uint16_t result = access_.cardRead(SlotRequest{request_.socket, request_.space, top}, into.data(), length);
  if (result == R_SUCCESS) return true;
  showWindowError(result);
  return false;
}

bool CardWindowModel::rereadPage() {
  std::array<uint8_t, kPageBytes> fresh{};
  if (!readInto(top_, fresh)) return false;
  page_ = fresh;
  valid_ = validFrom(top_);
  showWholePage();
  return true;
}

void CardWindowModel::showChangedCard(bool toStart, bool bothCarets) {
  // A card that went meanwhile is reported once, by endCommand.
  if (removed_ || closed_) return;
  bool shown = toStart ? moveTo(0) : rereadPage();
  if (!shown) return;
  if (toStart) syncScrollPosition();
  byteIndex_ = 0;
  carets_.dump = dumpPositionOf(0);
  if (bothCarets) carets_.chars = charPositionOf(0);
  view_.setCarets(carets_);
}

void CardWindowModel::showFound(uint32_t address) {
  if (removed_ || closed_) return;
  if (!moveTo(address & ~uint32_t{kPageBytes - 1})) return;
  place(address - top_);
}

void CardWindowModel::showPasted(uint32_t address) {
  if (removed_ || closed_ || !rereadPage()) return;
  if (address >= top_ && address - top_ < kPageBytes) place(address - top_);
}

void CardWindowModel::changeDevice(uint8_t type, uint32_t size) {
  SocketTable& sockets = access_.sockets();
  const uint8_t socket = request_.socket;
  if (removed_ || closed_ || socket >= sockets.info.size() || area_ >= kAreaCount) return;
  SocketInfo& info = sockets.info[socket];
  info.deviceType[area_] = type;
  info.chipId[area_] = deviceChipId(type);
  info.areaSize[area_] = size;
  info.eraseUnit[area_] = deviceEraseUnit(type);
  top_ = 0;
  byteIndex_ = 0;
  carets_ = Carets{};
  // Takes the new type and size from the record and sends them to the card.
  readFirstPage();
}

void CardWindowModel::resendDevice() {
  const bool gate = errorGate_;
  errorGate_ = false;
  sendDeviceRecordIfChanged();
  errorGate_ = gate;
}

// A move takes effect only once its page has been read: the screen, the page
// and top never disagree, and a failed read leaves the view where it was.
bool CardWindowModel::moveTo(uint32_t newTop) {
  newTop = std::min(newTop, lastTop());
  std::array<uint8_t, kPageBytes> fresh{};
  if (!readInto(newTop, fresh)) return false;
  top_ = newTop;
  page_ = fresh;
  valid_ = validFrom(top_);
  showWholePage();
  return true;
}

bool CardWindowModel::lineScroll(bool down) {
  if (down ? top_ >= lastTop() : top_ == 0) return false;
  const uint32_t newTop = down ? top_ + kLineBytes : top_ - kLineBytes;
  std::array<uint8_t, kPageBytes> fresh{};
  if (!readInto(newTop, fresh)) return false;
  top_ = newTop;
  page_ = fresh;
  valid_ = validFrom(top_);
  if (down)
    view_.appendBottomLine(pageLine(top_, page_.data(), kPageLines - 1, valid_));
  else
    view_.insertTopLine(pageLine(top_, page_.data(), 0, valid_));
  return true;
}

void CardWindowModel::showWholePage() { view_.showPage(pageText(top_, page_.data(), valid_)); }

void CardWindowModel::redrawLine(unsigned index) {
  const unsigned k = index / kLineBytes;
  view_.replaceLine(k, pageLine(top_, page_.data(), k, valid_));
}

void CardWindowModel::syncScrollPosition() { view_.setScrollPosition(top_ / kLineBytes); }

void CardWindowModel::place(unsigned index, bool lowDigit) {
  byteIndex_ = index;
  carets_.dump = dumpPositionOf(index) + (lowDigit ? 1 : 0);
  carets_.chars = charPositionOf(index);
  view_.setCarets(carets_);
  syncScrollPosition();
}

void CardWindowModel::scroll(ScrollCode code, uint32_t thumbPosition) {
  if (code == ScrollCode::ThumbTrack || !usable() || !enter()) return;
  flushPending();
  switch (code) {
    case ScrollCode::LineUp:
      lineScroll(false);
      break;
    case ScrollCode::LineDown:
      lineScroll(true);
      break;
    case ScrollCode::PageUp:
      moveTo(top_ >= kPageBytes ? top_ - kPageBytes : 0);
      break;
    case ScrollCode::PageDown:
      moveTo(top_ + kPageBytes <= lastTop() ? top_ + kPageBytes : lastTop());
      break;
    case ScrollCode::ThumbPosition:
      // 32-bit positions: the 16-bit range of old scroll bars ends at 1 MiB.
      moveTo(static_cast<uint32_t>(std::min<uint64_t>(uint64_t{thumbPosition} * kLineBytes, 0xFFFFFFFFu)) &
             ~(kPageBytes - 1));
      break;
    case ScrollCode::Top:
      moveTo(0);
      break;
    case ScrollCode::Bottom:
      moveTo(lastTop());
      break;
    case ScrollCode::ThumbTrack:
      break;
  }
  syncScrollPosition();
  endCommand();
}

void CardWindowModel::jump() {
  if (!usable() || !enter()) return;
  flushPending();
  std::string entry = hexDigits(top_, 8);
  while (host_.askAddress(entry)) {
    uint32_t value = jumpTarget(entry);
    if (value == top_) break;
    if (value >= areaSize_) {
      showWindowError(R_BAD_NUMBER);
      continue;
    }
    // Near the end the whole last page is shown rather than a part of one.
    if (value > lastTop()) value &= ~(kPageBytes - 1);
    if (moveTo(value & ~(kLineBytes - 1))) place(0);
    syncScrollPosition();
    break;
  }
  endCommand();
}

void CardWindowModel::toTop() {
  if (!usable() || !enter()) return;
  flushPending();
  if (moveTo(0)) place(0);
  syncScrollPosition();
  endCommand();
}

void CardWindowModel::toBottom() {
  if (!usable() || !enter()) return;
  flushPending();
  if (moveTo(lastTop())) place(lastIndex());
  syncScrollPosition();
  endCommand();
}

// ---- Keys, clicks and carets ---------------------------------------------------

bool CardWindowModel::keyDown(ListId list, Key key, Modifiers modifiers, unsigned caret) {
  const bool caretKey = key == Key::Left || key == Key::Right || key == Key::Up || key == Key::Down ||
                        key == Key::PageUp || key == Key::PageDown || key == Key::Home || key == Key::End ||
                        (key == Key::Space && list == ListId::Dump);
  // Keys that move the caret are the model's even when they do nothing, so
  // the list never moves its caret behind the model's back.
  const bool owned = caretKey;
  if (closed_ || closeRequested_ || busy_) return owned;

  const bool altOnly = modifiers.alt && !modifiers.ctrl && !modifiers.shift;
  const bool ctrlOnly = modifiers.ctrl && !modifiers.alt && !modifiers.shift;
  if (altOnly) {
    if (key == Key::End) toBottom();
    if (key == Key::Home) toTop();
    return owned;
  }
  if (ctrlOnly) {
    switch (key) {
      case Key::C:
        runHostCommand(WindowCommand::Copy);
        return true;
      case Key::V:
        runHostCommand(WindowCommand::Paste);
        return true;
      case Key::W:
        if (beginCommand()) {
          flushCard();
          endCommand();
        }
        return true;
      default:
        return owned;
    }
  }

  switch (key) {
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
    case Key::Space:
      if (!caretKey) return false;
      moveCaret(list, key, caret);
      return true;
    case Key::PageUp:
    case Key::PageDown:
      scroll(key == Key::PageUp ? ScrollCode::PageUp : ScrollCode::PageDown);
      return true;
    case Key::End:
    case Key::Home:
      flushPending();
      host_.activateNeighbour(key == Key::End);
      return true;
    case Key::F1:
      runHostCommand(WindowCommand::Help);
      return true;
    case Key::F2:
      runHostCommand(WindowCommand::Search);
      return true;
    case Key::F3:
      runHostCommand(WindowCommand::SearchDown);
      return true;
    case Key::F4:
      runHostCommand(WindowCommand::SearchUp);
      return true;
    case Key::F5:
      jump();
      return true;
    case Key::F6:
      runHostCommand(WindowCommand::Fill);
      return true;
    case Key::F7:
      runHostCommand(WindowCommand::Move);
      return true;
    case Key::F8:
      runHostCommand(WindowCommand::CompareFile);
      return true;
    default:
      return false;
  }
}

void CardWindowModel::runHostCommand(WindowCommand command) {
  flushPending();
  host_.runCommand(command);
}

void CardWindowModel::moveCaret(ListId list, Key key, unsigned caret) {
  if (!usable() || !enter()) return;
  flushPending();
  const unsigned stepBytes = step();
  const unsigned lastByteOfTopLine = kLineBytes - stepBytes;
  unsigned index;
  bool low = false;
  if (list == ListId::Dump) {
    index = dumpIndexAt(caret);
    // A blank or a line end counts as the low digit of the byte before it.
    low = caret % kDumpLineLength % 3 != 0 || caret % kDumpLineLength >= kLineBytes * 3 - 1;
  } else {
    index = charIndexAt(caret);
  }
  if (request_.space != 0) index &= ~1u;
  index = std::min(index, lastIndex());
  const bool digits = list == ListId::Dump;

  switch (key) {
    case Key::Right:
      if (digits && !low)
        place(index, true);
      else if (index + stepBytes <= lastIndex())
        place(index + stepBytes);
      else if (lineScroll(true))
        place(kPageBytes - kLineBytes);
      break;
    case Key::Space:
      if (index + stepBytes <= lastIndex())
        place(index + stepBytes);
      else if (lineScroll(true))
        place(kPageBytes - kLineBytes);
      break;
    case Key::Left:
      if (digits && low)
        place(index);
      else if (index >= stepBytes)
        place(index - stepBytes, digits);
      else if (lineScroll(false))
        place(lastByteOfTopLine, digits);
      break;
    case Key::Up:
      if (index >= kLineBytes)
        place(index - kLineBytes, low);
      else if (lineScroll(false))
        place(index, low);
      break;
    case Key::Down:
      if (index + kLineBytes <= lastIndex())
        place(index + kLineBytes, low);
      else if (index + kLineBytes >= kPageBytes && lineScroll(true))
        place(index, low);
      break;
    default:
      break;
  }
  syncScrollPosition();
  endCommand();
}

void CardWindowModel::click(ListId list, unsigned caret) {
  if (!usable() || !enter()) return;
  flushPending();
  unsigned index;
  bool low = false;
  if (list == ListId::Dump) {
    index = dumpIndexAt(caret);
    const unsigned column = caret % kDumpLineLength;
    low = column % 3 != 0 || column >= kLineBytes * 3 - 1;  // a blank: the low digit before it
  } else {
    index = charIndexAt(caret);  // a line end: the line's last byte
  }
  // In attribute memory an odd byte holds nothing: the caret takes the next.
  if (request_.space != 0 && index % 2 != 0) {
    ++index;
    low = false;
  }
  if (index > lastIndex()) {
    index = lastIndex();
    low = false;
  }
  place(index, list == ListId::Dump && low);
  endCommand();
}

// ---- Editing -----------------------------------------------------------------

bool CardWindowModel::editAllowed() const {
  switch (editRuleOf(deviceType_)) {
    case EditRule::Always:
      return true;
    case EditRule::WithAtaMark:
      return host_.ataEditChecked();
    case EditRule::Never:
      return false;
    case EditRule::WithFlashMark:
      return host_.flashEditChecked();
  }
  return false;
}

bool CardWindowModel::writeProtected() const { return lamps_.protect == kRed; }

void CardWindowModel::keyPress(ListId list, uint8_t character, unsigned caret) {
  if (list == ListId::Dump ? !isHexDigit(character) : (character < 0x20 || character > 0x7F)) return;
  if (!usable() || !editAllowed() || !enter()) return;
  if (writeProtected())
    showWindowError(cardservice::CS_WRITE_PROTECTED);
  else if (list == ListId::Dump)
    typeDigit(character, caret);
  else
    typeCharacter(character, caret);
  endCommand();
}

void CardWindowModel::typeDigit(uint8_t character, unsigned caret) {
  const uint8_t digit = digitValue(character);
  const unsigned index = dumpIndexAt(caret);
  if (index > lastIndex() || (request_.space != 0 && index % 2 != 0)) return;
  const uint32_t address = top_ + index;
  // A pending edit of another byte is finished before this one starts.
  if (pending_ && pendingAddress_ != address) flushPending();
  const bool high = caret % kDumpLineLength % 3 == 0 && caret % kDumpLineLength < kLineBytes * 3 - 1;

  if (high) {
    if (!pending_) pendingOriginal_ = page_[index];
    page_[index] = static_cast<uint8_t>(digit << 4 | (page_[index] & 0x0F));
    pending_ = true;
    pendingValue_ = page_[index];
    pendingAddress_ = address;
    redrawLine(index);
    place(index, true);
    return;
  }
  const uint8_t original = pending_ ? pendingOriginal_ : page_[index];
  pending_ = false;
  uint8_t value = static_cast<uint8_t>((page_[index] & 0xF0) | digit);
  WriteOutcome outcome = writeByte(address, value);
  page_[index] = outcome == WriteOutcome::Failed ? original : value;
  redrawLine(index);
  afterEdit(index);
}

void CardWindowModel::typeCharacter(uint8_t character, unsigned caret) {
  flushPending();
  const unsigned index = charIndexAt(caret);
  if (index > lastIndex() || (request_.space != 0 && index % 2 != 0)) return;
  uint8_t value = character;
  WriteOutcome outcome = writeByte(top_ + index, value);
  if (outcome != WriteOutcome::Failed) page_[index] = value;
  redrawLine(index);
  afterEdit(index);
}

// After a byte is written both carets go on to the next byte the user may
// edit; past the page the view moves one line, and at the area's end the
// carets stay on the byte just written.
void CardWindowModel::afterEdit(unsigned index) {
  const unsigned next = index + step();
  if (next <= lastIndex())
    place(next);
  else if (next >= kPageBytes && lineScroll(true))
    place(kPageBytes - kLineBytes);
  else
    place(index);
}

void CardWindowModel::flushPending() {
  if (!pending_) return;
  pending_ = false;
  if (removed_) return;
  uint8_t value = pendingValue_;
  WriteOutcome outcome = writeByte(pendingAddress_, value);
  if (outcome == WriteOutcome::Written || pendingAddress_ < top_ || pendingAddress_ - top_ >= valid_) return;
  const unsigned index = pendingAddress_ - top_;
  page_[index] = outcome == WriteOutcome::CardHolds ? value : pendingOriginal_;
  redrawLine(index);
}

bool CardWindowModel::writeByteChecked(uint32_t address, uint8_t& value) {
  return writeByte(address, value) == WriteOutcome::Written;
}

CardWindowModel::WriteOutcome CardWindowModel::writeByte(uint32_t address, uint8_t& value) {
  const SlotRequest at{request_.socket, request_.space, address};
  // Flash programming only clears bits: a byte that is not erased would end
  // up as the AND of old and new, so it is refused before anything is sent.
  flashMode_ = isFlashType(deviceType_) && host_.flashEditChecked();
  if (flashMode_) {
    uint8_t current = 0;
    uint16_t result = access_.cardRead(at, &current, 1);
    if (result != R_SUCCESS) {
      showWindowError(result);
      return WriteOutcome::Failed;
    }
    if (current != 0xFF) {
      showWindowError(cardservice::CS_WRITE_ERROR);
      value = current;
      return WriteOutcome::CardHolds;
    }
  }
  uint16_t result = access_.cardWrite(at, &value, 1);
  if (result != R_SUCCESS) {
    showWindowError(result);
    return WriteOutcome::Failed;
  }
  if (deviceType_ == kTypeAta) return WriteOutcome::Written;
  uint8_t back = 0;
  result = access_.cardRead(at, &back, 1);
  if (result != R_SUCCESS) {
    showWindowError(result);
    return WriteOutcome::Failed;
  }
  if (back == value) return WriteOutcome::Written;
  showWindowError(cardservice::CS_WRITE_ERROR);
  value = back;
  return WriteOutcome::CardHolds;
}

// ---- Re-targeting ----------------------------------------------------------------

void CardWindowModel::popSet() {
  if (closed_ || !enter()) return;
  // The edit belongs to the card shown now, whatever the dialog chooses.
  flushPending();
  if (host_.askOpenCard()) {
    releaseLock();
    const CurrentSelection& selection = access_.selection();
    request_ = SlotRequest{static_cast<uint8_t>(selection.socket), selection.space, selection.start};
    area_ = selection.space != 0 ? kAttributeArea : selection.region;
    top_ = selection.start & ~(kLineBytes - 1);
    pendingAddress_ = selection.start;
    readOnce_ = false;
    removed_ = false;  // a removal seen so far concerned the old card
    setCaption(false);
    updateSocketLamps(request_.socket,
                      request_.socket < kShownSockets ? access_.sockets().state[request_.socket] : 0);
    if (!removed_) readFirstPage();
  }
  endCommand();
}

}  // namespace tessel
