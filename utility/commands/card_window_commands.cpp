#include "card_window_commands.h"

#include "file_commands.h"
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

}  // namespace tessel
