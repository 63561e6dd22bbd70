// The card window's long commands: card to file, file to card, compare with
// a file, erase, erase check, fill, move, and copy to or compare with another
// card. Each runs in one frame: the window taken busy, a write-protected
// card refused before anything changes, the dialog preset and shown, the
// block loop run with the progress window, its result shown through the
// window's error gate, the page read again where the card changed, and the
// window's command ended (which closes it when its card went meanwhile).
#pragma once

#include <cstdint>

#include "card_command_context.h"
#include "card_window_model.h"
#include "command_dialogs.h"
#include "command_ports.h"
#include "search_range.h"

struct ImageFileApi;

namespace tessel {

enum class CardCommand {
  CardToFile,       // ReadClick
  FileToCard,       // WriteClick
  CompareFile,      // CompClick
  Erase,            // EraseClick
  EraseCheck,       // EraseCheckClick
  Fill,             // FillClick
  Move,             // MoveClick
  CardCopy,         // CardCopyClick
  CardCompare,      // CardCompClick
  Search,           // SearchClick
  SearchDown,       // FsearchClick
  SearchUp,         // BSearchClick
  Copy,             // CopyC1Click
  Paste,            // PasteP1Click
  Print,            // PrintClick
  CardInformation,  // CardInformationClick
  DeviceType,       // DeviceD1Click
};

// What the program lends each card window for its commands.
struct CommandServices {
  CardAccess& access;
  CommandDialogs& dialogs;
  DialogPresenter& presenter;
  Progress& progress;
  UserMessages& messages;
  const ImageFileApi& files;
  SharedCommandState& shared;
  Clipboard& clipboard;
  Printer& printer;
  CardInfoDisplay& cardInfo;
};

class CardWindowCommands {
 public:
  CardWindowCommands(CardWindowModel& window, const CommandServices& services, ListSelections& selections)
      : window_(window), services_(services), selections_(selections) {}

  // Runs `command` from its dialog to its end. Nothing happens while the
  // window cannot take a command (not read yet, or busy with another).
  void run(CardCommand command);

 private:
  struct Row;
  enum class Afterwards;

  // Each returns false when its dialog was cancelled (nothing ran).
  bool cardToFileClick();
  bool fileToCardClick();
  bool compareFileClick();
  bool eraseClick();
  bool eraseCheckClick();
  bool fillClick();
  bool moveClick();
  bool cardCopyClick();
  bool cardCompareClick();
  bool searchClick();
  bool searchDownClick() { return repeatSearch(RepeatDirection::Forward); }
  bool searchUpClick() { return repeatSearch(RepeatDirection::Backward); }
  bool copyClick();
  bool pasteClick();
  bool printClick();
  bool cardInformationClick();
  bool deviceClick();

  bool repeatSearch(RepeatDirection direction);
  void runSearch(const SearchBounds& bounds);
  uint16_t paste(std::span<const uint8_t> bytes);

  static const Row& rowOf(CardCommand command);
  void afterwards(Afterwards what);
  CommandContext context();
  void presetArea(AreaRangeDialogModel& dialog);
  bool showFileDialog(TransferDialogModel& dialog);
  void show(uint16_t result);

  CardWindowModel& window_;
  CommandServices services_;
  ListSelections& selections_;
};

}  // namespace tessel
