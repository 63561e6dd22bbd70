// The three file transfer dialogs of the card window: card to file
// (TReadDlog), file to card (TWriteDlog) and card with file (TCompDlog).
// One model serves all three; the kind decides which fields exist, which
// registry key remembers them and what OK checks before the dialog closes.
// The transfers themselves are run by the card window after OK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "card_access.h"
#include "dialog_lists.h"
#include "settings_store.h"

namespace tessel {

enum class TransferKind { Read, Write, Compare };

// The browse button's seam to the system's file dialog.
class FilePicker {
 public:
  enum class Purpose {
    Save,  // a file to create: overwrite prompt, read-only files refused
    Open,  // a file to read
  };
  virtual ~FilePicker() = default;
  // Shows the dialog on `current` with the filter "*.*"; the chosen name, or
  // nullopt when the user cancelled.
  virtual std::optional<std::string> pick(Purpose purpose, std::string_view current) = 0;
};

// Whether a file already exists, asked before a read overwrites it.
class FileProbe {
 public:
  virtual ~FileProbe() = default;
  virtual bool exists(std::string_view name) = 0;
};

// What the dialog holds between showings and keeps in the registry.
struct TransferValues {
  uint32_t start = 0;
  uint32_t end = 0xFFFFFFFF;  // inclusive
  int32_t offset = 0;         // added to file addresses to give card addresses
  std::string fileName;
  uint8_t fileType = 5;  // index into the file type box; 5 lets the extension decide
  bool compareAfterWrite = false;
};

enum class TransferFocus { OkButton, FileName };

// Registry key of each dialog's values.
std::string_view transferSettingsKey(TransferKind kind);

class TransferDialogModel {
 public:
  static constexpr std::size_t kAddressLength = 8;
  static constexpr std::size_t kOffsetLength = 9;  // "-80000000"
  // The image file handle keeps the path in 260 bytes with its NUL; a
  // longer name would not fit, so the dialog refuses it up front.
  static constexpr std::size_t kMaxFileNameLength = 259;

  // What the caller sets from its card window before showing.
  uint8_t socket = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint8_t region = 0;

  TransferDialogModel(TransferKind kind, CardAccess& access, FileProbe& files);

  TransferKind kind() const { return kind_; }
  bool hasOffset() const { return kind_ != TransferKind::Read; }
  bool hasCompareOption() const { return kind_ == TransferKind::Write; }

  // At program start. A key that does not open is reported and the defaults
  // stand; a stored value of the wrong kind, size or range keeps its default.
  void load(SettingsStore& store);
  // At program end: every value of the dialog, unless the key does not open.
  void save(SettingsStore& store) const;

  // Brings remembered addresses into an area of `size` bytes before showing.
  void fitToArea(uint32_t size);

  // Fills the labels, edits, the file type box and the option from the values.
  void activate();
  void browse(FilePicker& picker);
  DialogStep okBtnClick();

  void setStartText(std::string text) { startText_ = std::move(text); }
  void setEndText(std::string text) { endText_ = std::move(text); }
  void setOffsetText(std::string text) { offsetText_ = std::move(text); }
  void setFileNameText(std::string text) { fileNameText_ = std::move(text); }
  void setCompareOption(bool on) { compareOption_ = on; }
  void fileTypeBoxChange(int index) { fileTypeBox_.choose(index); }

  const std::string& socketName() const { return socketName_; }
  const std::string& attributeName() const { return attributeName_; }
  const std::string& regionName() const { return regionName_; }
  const std::string& startText() const { return startText_; }
  const std::string& endText() const { return endText_; }
  const std::string& offsetText() const { return offsetText_; }
  const std::string& fileNameText() const { return fileNameText_; }
  bool compareOption() const { return compareOption_; }
  const ChoiceList& fileTypeBox() const { return fileTypeBox_; }
  // Where activation puts the focus; after OK, FileName only when a check
  // sends the user back to the file name (elsewhere the focus stays).
  TransferFocus focus() const { return focus_; }

  // What the caller reads after OK (and what the next showing starts from).
  const TransferValues& values() const { return values_; }
  TransferValues& values() { return values_; }
  // Bytes to transfer; OK guarantees end < area size, so this never wraps.
  uint32_t length() const { return values_.end - values_.start + 1; }

 private:
  bool parseAddress(const std::string& text, uint32_t& address);

  TransferKind kind_;
  CardAccess& access_;
  FileProbe& files_;
  TransferValues values_;

  std::string socketName_;
  std::string attributeName_;
  std::string regionName_;
  std::string startText_;
  std::string endText_;
  std::string offsetText_;
  std::string fileNameText_;
  bool compareOption_ = false;
  ChoiceList fileTypeBox_;
  TransferFocus focus_ = TransferFocus::FileName;
};

// The offset as the dialog shows it: 8 hexadecimal digits, a negative one as
// "-" and its magnitude.
std::string signedOffsetText(int32_t offset);

}  // namespace tessel
