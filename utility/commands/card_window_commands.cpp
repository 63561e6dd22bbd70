#include "card_window_commands.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "cis_walk.h"
#include "device_tables.h"
#include "file_commands.h"
#include "page_text.h"
#include "print_lines.h"
#include "range_commands.h"
#include "result_codes.h"

namespace tessel {

enum class CardWindowCommands::Afterwards {
  Nothing,
  // The page read again where it stands, the caret(s) on its first byte.
  RereadBothCarets,
  RereadDumpCaret,
  // The view back at the area's start, read again, both carets on byte 0.
  BackToStart,
};

struct CardWindowCommands::Row {
  CardCommand command;
  bool refusesWriteProtected;  // the command changes the window's own card
  bool (CardWindowCommands::*click)();
  Afterwards afterwards;
};

namespace {

// The window's end address for a range that covers its whole area.
uint32_t lastAddress(const CardWindowModel& window) { return window.areaSize() - 1; }

// Region labels and region selection use the common-memory region, which
// for attribute memory (area 4) is region 1 as the window's status line says.
uint8_t regionOf(const CardWindowModel& window) { return static_cast<uint8_t>(window.area() & 3); }

}  // namespace

const CardWindowCommands::Row& CardWindowCommands::rowOf(CardCommand command) {
  using C = CardWindowCommands;
  static constexpr Row kRows[] = {
      {CardCommand::CardToFile, false, &C::cardToFileClick, Afterwards::Nothing},
      {CardCommand::FileToCard, true, &C::fileToCardClick, Afterwards::RereadBothCarets},
      {CardCommand::CompareFile, false, &C::compareFileClick, Afterwards::Nothing},
      {CardCommand::Erase, true, &C::eraseClick, Afterwards::BackToStart},
      {CardCommand::EraseCheck, false, &C::eraseCheckClick, Afterwards::Nothing},
      {CardCommand::Fill, true, &C::fillClick, Afterwards::RereadDumpCaret},
      {CardCommand::Move, true, &C::moveClick, Afterwards::RereadDumpCaret},
      // The copy tests the destination's protection after its dialog.
      {CardCommand::CardCopy, false, &C::cardCopyClick, Afterwards::Nothing},
      {CardCommand::CardCompare, false, &C::cardCompareClick, Afterwards::Nothing},
      {CardCommand::Search, false, &C::searchClick, Afterwards::Nothing},
      {CardCommand::SearchDown, false, &C::searchDownClick, Afterwards::Nothing},
      {CardCommand::SearchUp, false, &C::searchUpClick, Afterwards::Nothing},
      {CardCommand::Copy, false, &C::copyClick, Afterwards::Nothing},
      // The paste tests the card itself: besides protection, only SRAM and
      // EEPROM take one.
      {CardCommand::Paste, false, &C::pasteClick, Afterwards::Nothing},
      {CardCommand::Print, false, &C::printClick, Afterwards::Nothing},
      {CardCommand::CardInformation, false, &C::cardInformationClick, Afterwards::Nothing},
      {CardCommand::DeviceType, false, &C::deviceClick, Afterwards::Nothing},
  };
  for (const Row& row : kRows)
    if (row.command == command) return row;
  return kRows[0];
}

void CardWindowCommands::run(CardCommand command) {
  if (!window_.beginCommand()) return;
  // The command ends however it ends: a window left busy would take no
  // command again.
  struct EndCommand {
    CardWindowModel& window;
    ~EndCommand() { window.endCommand(); }
  } end{window_};

  const Row& row = rowOf(command);
  if (row.refusesWriteProtected && window_.writeProtected()) {
    show(cardservice::CS_WRITE_PROTECTED);
    return;
  }
  if ((this->*row.click)()) afterwards(row.afterwards);
}

void CardWindowCommands::show(uint16_t result) {
  // A card the window saw go is reported once, when the command ends, and
  // the window closes then; the loop that met the empty socket says no more.
  if (result == R_CARD_REMOVED && window_.removed()) return;
  window_.showWindowError(result);
}

void CardWindowCommands::afterwards(Afterwards what) {
  switch (what) {
    case Afterwards::Nothing:
      break;
    case Afterwards::RereadBothCarets:
      window_.showChangedCard(false, true);
      break;
    case Afterwards::RereadDumpCaret:
      window_.showChangedCard(false, false);
      break;
    case Afterwards::BackToStart:
      window_.showChangedCard(true, true);
      break;
  }
}

CommandContext CardWindowCommands::context() {
  CommandArea area{window_.socket(),     window_.space(),     static_cast<uint8_t>(window_.area()),
                   window_.deviceType(), window_.eraseUnit(), window_.areaSize()};
  return CommandContext{services_.access, services_.progress, services_.messages, services_.files, area};
}

void CardWindowCommands::presetArea(AreaRangeDialogModel& dialog) {
  dialog.socket = window_.socket();
  dialog.space = window_.space();
  dialog.region = regionOf(window_);
  dialog.start = 0;
  dialog.end = lastAddress(window_);
}

bool CardWindowCommands::showFileDialog(TransferDialogModel& dialog) {
  dialog.socket = window_.socket();
  dialog.space = window_.space();
  dialog.region = regionOf(window_);
  dialog.fitToArea(window_.areaSize());
  return services_.presenter.showTransfer(dialog);
}

namespace {

FileTransfer transferOf(const TransferDialogModel& dialog) {
  const TransferValues& values = dialog.values();
  return FileTransfer{values.start, dialog.length(), values.fileName, values.fileType, values.offset};
}

}  // namespace

bool CardWindowCommands::cardToFileClick() {
  TransferDialogModel& dialog = services_.dialogs.read;
  if (!showFileDialog(dialog)) return false;
  CommandContext run = context();
  show(cardToFile(run, transferOf(dialog)));
  return true;
}

bool CardWindowCommands::fileToCardClick() {
  TransferDialogModel& dialog = services_.dialogs.write;
  if (!showFileDialog(dialog)) return false;
  CommandContext run = context();
  const FileTransfer transfer = transferOf(dialog);
  uint16_t result = fileToCard(run, transfer);
  show(result);
  if (result == R_SUCCESS && dialog.values().compareAfterWrite) show(compareWithFile(run, transfer));
  return true;
}

bool CardWindowCommands::compareFileClick() {
  TransferDialogModel& dialog = services_.dialogs.compare;
  if (!showFileDialog(dialog)) return false;
  CommandContext run = context();
  show(compareWithFile(run, transferOf(dialog)));
  return true;
}

bool CardWindowCommands::eraseClick() {
  EraseDialogModel& dialog = services_.dialogs.erase;
  presetArea(dialog);
  if (!services_.presenter.showErase(dialog)) return false;
  CommandContext run = context();
  const uint32_t length = dialog.end - dialog.start + 1;
  show(eraseRange(run, dialog.start, length));
  if (dialog.eraseCheck) show(eraseCheckRange(run, dialog.start, length));
  return true;
}

bool CardWindowCommands::eraseCheckClick() {
  ECheckDialogModel& dialog = services_.dialogs.eraseCheck;
  presetArea(dialog);
  if (!services_.presenter.showEraseCheck(dialog)) return false;
  CommandContext run = context();
  show(eraseCheckRange(run, dialog.start, dialog.end - dialog.start + 1));
  return true;
}

bool CardWindowCommands::fillClick() {
  // The fill dialog names no area: only its range is preset.
  FillDialogModel& dialog = services_.dialogs.fill;
  dialog.start = 0;
  dialog.end = lastAddress(window_);
  if (!services_.presenter.showFill(dialog)) return false;
  CommandContext run = context();
  show(fillRange(run, dialog.start, dialog.end, dialog.pattern.view()));
  return true;
}

bool CardWindowCommands::moveClick() {
  MoveDialogModel& dialog = services_.dialogs.move;
  presetArea(dialog);
  dialog.destination = 0;
  if (!services_.presenter.showMove(dialog)) return false;
  CommandContext run = context();
  show(moveRange(run, dialog.start, dialog.end - dialog.start + 1, dialog.destination));
  return true;
}

namespace {

CardDestination destinationOf(const CardCopyDialogModel& dialog) {
  return CardDestination{dialog.destSocket, dialog.destSpace, dialog.destRegion, dialog.destStart};
}

}  // namespace

bool CardWindowCommands::cardCopyClick() {
  CardCopyDialogModel& dialog = services_.dialogs.cardCopy;
  dialog.preset(window_.socket(), window_.space(), regionOf(window_), window_.areaSize());
  if (!services_.presenter.showCardCopy(dialog)) return false;
  const SocketTable& sockets = services_.access.sockets();
  if (dialog.destSocket < sockets.state.size() && (sockets.state[dialog.destSocket] & 0x01) != 0) {
    show(cardservice::CS_WRITE_PROTECTED);
    return false;
  }
  CommandContext run = context();
  show(cardToCard(run, dialog.start, dialog.end - dialog.start + 1, destinationOf(dialog)));
  // A copy onto the window's own card may have changed the bytes it shows.
  if (dialog.destSocket == window_.socket() && !window_.removed()) window_.rereadPage();
  return true;
}

bool CardWindowCommands::cardCompareClick() {
  CardCopyDialogModel& dialog = services_.dialogs.cardCompare;
  dialog.preset(window_.socket(), window_.space(), regionOf(window_), window_.areaSize());
  if (!services_.presenter.showCardCopy(dialog)) return false;
  CommandContext run = context();
  show(compareCards(run, dialog.start, dialog.end - dialog.start + 1, destinationOf(dialog)));
  return true;
}

// ---- Search ------------------------------------------------------------------------------

bool CardWindowCommands::searchClick() {
  SearchDialogModel& dialog = services_.dialogs.search;
  dialog.start = 0;
  dialog.end = lastAddress(window_);
  if (!services_.presenter.showSearch(dialog)) return false;
  services_.shared.searchRun = true;
  runSearch(SearchBounds{dialog.start, dialog.end, dialog.options});
  return true;
}

bool CardWindowCommands::repeatSearch(RepeatDirection direction) {
  SearchDialogModel& dialog = services_.dialogs.search;
  const bool backward = direction == RepeatDirection::Backward;
  // Before any search the repeat keys open the search, set to their
  // direction and to finding a match.
  if (!services_.shared.searchRun) {
    dialog.options = backward ? kSearchBackward : 0;
    return searchClick();
  }
  dialog.options =
      static_cast<uint8_t>(backward ? dialog.options | kSearchBackward : dialog.options & ~kSearchBackward);
  std::optional<SearchBounds> bounds = repeatSearchBounds(direction, dialog.options, window_.caretAddress(),
                                                          window_.areaSize(), dialog.pattern.length);
  if (!bounds) {
    show(R_NOT_FOUND);
    return true;
  }
  // The dialog keeps its start; its end is the one the repeat used.
  dialog.end = bounds->end;
  runSearch(*bounds);
  return true;
}

void CardWindowCommands::runSearch(const SearchBounds& bounds) {
  CommandContext run = context();
  uint32_t found = 0;
  uint16_t result = searchRange(run, bounds, services_.dialogs.search.pattern.view(), found);
  if (result == R_SUCCESS)
    window_.showFound(found);
  else
    show(result);
}

// ---- Clipboard -----------------------------------------------------------------------------

bool CardWindowCommands::copyClick() {
  const PageText page = pageText(window_.top(), window_.page().data(), window_.validBytes());
  SharedCommandState& shared = services_.shared;
  if (ListSelection dump = selections_.dumpSelection(); !dump.empty()) {
    std::optional<ByteSpan> bytes = dumpSelectionBytes(dump.start, dump.end, window_.validBytes());
    if (!bytes) return true;
    services_.clipboard.setText(dumpSelectionText(page.dump, *bytes));
    shared.copy.copiedHexText();
    selections_.clearSelections();
    return true;
  }
  if (ListSelection chars = selections_.charSelection(); !chars.empty()) {
    std::optional<ByteSpan> bytes = charSelectionBytes(chars.start, chars.end, window_.validBytes());
    if (!bytes) return true;
    std::string text = page.chars.substr(chars.start, chars.end - chars.start);
    services_.clipboard.setText(text);
    shared.copy.copiedBytes(std::span(window_.page()).subspan(bytes->first, bytes->count), std::move(text));
    selections_.clearSelections();
  }
  return true;
}

bool CardWindowCommands::pasteClick() {
  CopyState& copy = services_.shared.copy;
  if (copy.count() == 0) return true;
  if (uint16_t refused = pasteRefusal(window_.writeProtected(), window_.deviceType())) {
    show(refused);
    return true;
  }
  const std::string clipboardText = services_.clipboard.text();
  switch (copy.pasteSource(clipboardText)) {
    case PasteSource::Nothing:
      return true;
    case PasteSource::CopyBuffer:
      show(paste(copy.bytes()));
      return true;
    case PasteSource::ClipboardText:
      break;
  }
  std::array<uint8_t, kPasteCapacity> buffer{};
  const HexTextResult parsed = parseHexText(clipboardText, buffer);
  if (parsed.status == HexTextStatus::Bytes)
    show(paste(std::span(buffer).first(parsed.count)));
  else if (std::string_view refusal = hexTextMessage(parsed.status); !refusal.empty())
    services_.messages.showOk(refusal);
  return true;
}

uint16_t CardWindowCommands::paste(std::span<const uint8_t> bytes) {
  const uint32_t address = window_.caretAddress();
  const uint32_t length = pasteLength(address, static_cast<uint32_t>(bytes.size()), window_.areaSize());
  if (length == 0) return R_SUCCESS;
  uint16_t result = services_.access.cardWrite(
      cardservice::SlotRequest{window_.socket(), window_.space(), address}, bytes.data(), length);
  // Even a failed write may have changed part of the bytes.
  window_.showPasted(address);
  return result;
}

// ---- Printing, card information, device type -----------------------------------------------

bool CardWindowCommands::printClick() {
  PrintDialogModel& dialog = services_.dialogs.print;
  presetArea(dialog);
  dialog.start = window_.top();
  dialog.end = std::min(window_.top() + 255, lastAddress(window_));
  if (!services_.presenter.showPrint(dialog)) return false;
  Printer& printer = services_.printer;
  switch (printer.start("tessel")) {
    case Printer::Start::Cancelled:
    case Printer::Start::Failed:  // told by the printer layer
      return true;
    case Printer::Start::Printing:
      break;
  }
  uint16_t result = printRange(
      services_.access, cardservice::SlotRequest{window_.socket(), window_.space(), 0}, dialog.start,
      dialog.end - dialog.start + 1, [&](std::string_view line) { return printer.printLine(line); });
  printer.finish();
  show(result);
  return true;
}

bool CardWindowCommands::cardInformationClick() {
  CardAccess& access = services_.access;
  SocketTable& sockets = access.sockets();
  const uint8_t socket = window_.socket();
  // The CIS behind a link target lies in common memory from region 0 on.
  access.cardSelectRegion(socket, 0);
  if (socket < kShownSockets) sockets.selectedRegion[socket] = 0;
  const std::vector<cis::CisTupleRecord> records = readCardCis(access, socket);
  const std::vector<cis::CisTupleEntry> entries = cisTupleList(records);
  services_.cardInfo.show(socket, entries);
  if (access.cardSelectRegion(socket, regionOf(window_)) == R_SUCCESS && socket < kShownSockets)
    sockets.selectedRegion[socket] = static_cast<uint8_t>(window_.area());
  window_.resendDevice();
  return true;
}

bool CardWindowCommands::deviceClick() {
  if (window_.space() != 0 || window_.deviceType() == kTypeAta) {
    show(R_NOT_CHANGEABLE);
    return false;
  }
  DevDialogModel& dialog = services_.dialogs.device;
  dialog.socket = window_.socket();
  dialog.space = window_.space();
  dialog.region = regionOf(window_);
  dialog.code = window_.deviceType();
  dialog.size = window_.areaSize();
  if (!services_.presenter.showDevice(dialog)) return false;
  window_.changeDevice(dialog.code, dialog.size);
  return true;
}

}  // namespace tessel
