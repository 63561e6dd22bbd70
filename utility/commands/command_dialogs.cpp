#include "command_dialogs.h"

namespace tessel {

CommandDialogs::CommandDialogs(CardAccess& access, FileProbe& files)
    : read(TransferKind::Read, access, files),
      write(TransferKind::Write, access, files),
      compare(TransferKind::Compare, access, files),
      erase(access),
      eraseCheck(access),
      fill(access),
      move(access),
      cardCopy(access, CardCopyKind::Copy),
      cardCompare(access, CardCopyKind::Compare),
      search(access),
      print(access) {}

void CommandDialogs::load(SettingsStore& store) {
  for (TransferDialogModel* dialog : {&read, &write, &compare}) dialog->load(store);
}

void CommandDialogs::save(SettingsStore& store) const {
  for (const TransferDialogModel* dialog : {&read, &write, &compare}) dialog->save(store);
}

}  // namespace tessel
