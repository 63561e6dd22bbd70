// The operation dialogs that every card window shares, and the seam through
// which a card window's command shows one. The dialogs are made once when
// the program starts and live until it ends, so each showing starts from
// what the user entered last; the file dialogs keep that in the registry too.
#pragma once

#include "card_access.h"
#include "card_copy_dialogs.h"
#include "device_dialogs.h"
#include "range_dialogs.h"
#include "settings_store.h"
#include "transfer_dialogs.h"

namespace tessel {

struct CommandDialogs {
  CommandDialogs(CardAccess& access, FileProbe& files);

  // The file dialogs' remembered values, at program start and end.
  void load(SettingsStore& store);
  void save(SettingsStore& store) const;

  TransferDialogModel read;
  TransferDialogModel write;
  TransferDialogModel compare;
  EraseDialogModel erase;
  ECheckDialogModel eraseCheck;
  FillDialogModel fill;
  MoveDialogModel move;
  CardCopyDialogModel cardCopy;
  CardCopyDialogModel cardCompare;
  SearchDialogModel search;
  PrintDialogModel print;
  DevDialogModel device;
};

// Shows a dialog modally over the program's window; true when it closed with
// OK, the model then holding what the user chose.
class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  virtual bool showTransfer(TransferDialogModel& model) = 0;
  virtual bool showErase(EraseDialogModel& model) = 0;
  virtual bool showEraseCheck(ECheckDialogModel& model) = 0;
  virtual bool showFill(FillDialogModel& model) = 0;
  virtual bool showMove(MoveDialogModel& model) = 0;
  virtual bool showCardCopy(CardCopyDialogModel& model) = 0;
  virtual bool showSearch(SearchDialogModel& model) = 0;
  virtual bool showPrint(PrintDialogModel& model) = 0;
  virtual bool showDevice(DevDialogModel& model) = 0;
};

}  // namespace tessel
