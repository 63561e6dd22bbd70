// What the card window's search, clipboard, printing and card information
// commands need from the windows around them, as small interfaces: the
// lists' selections, the system clipboard, the printer and the CIS display.
// The windows implement them with Win32; tests with recorders.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "cis_records.h"
#include "hex_text.h"

namespace tessel {

// A list's selection as caret positions [start, end), line ends counted;
// empty when start == end.
struct ListSelection {
  unsigned start = 0;
  unsigned end = 0;
  bool empty() const { return start == end; }
};

// The card window's two lists, as the user has selected in them.
class ListSelections {
 public:
  virtual ~ListSelections() = default;
  virtual ListSelection dumpSelection() = 0;
  virtual ListSelection charSelection() = 0;
  virtual void clearSelections() = 0;
};

// The system clipboard as text. Text is in the code page the card window's
// character list shows (Shift-JIS): what a copy from that list puts there
// are the card's own bytes.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void setText(std::string_view text) = 0;
  // The clipboard's text now; empty when it holds none.
  virtual std::string text() = 0;
};

// A printed listing: the system's print dialog, then one document on the
// chosen printer, written as lines of text.
class Printer {
 public:
  enum class Start { Printing, Cancelled, Failed };
  virtual ~Printer() = default;
  // Shows the print dialog and opens a document; Failed when no printer
  // could be opened (the printer layer has told the user).
  virtual Start start(std::string_view documentName) = 0;
  // false when the printer failed (told by the printer layer); the listing ends.
  virtual bool printLine(std::string_view line) = 0;
  // Ends the document, which sends the job.
  virtual void finish() = 0;
};

// The CIS library's display of a card's tuples, owned by the main window.
class CardInfoDisplay {
 public:
  virtual ~CardInfoDisplay() = default;
  virtual void show(uint8_t socket, std::span<const cis::CisTupleEntry> tuples) = 0;
};

// What all card windows share for the whole run: a copy in one window can
// be pasted into another, and the repeat searches continue the last search.
struct SharedCommandState {
  CopyState copy;
  bool searchRun = false;  // a search was started since the program began
};

}  // namespace tessel
