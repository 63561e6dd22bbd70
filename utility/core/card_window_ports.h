// What a card window's model needs around it, as two small interfaces: the
// view that draws it (three text lists, lamps, caption, status line, scroll
// bar) and the host that owns it (the main window: option marks, dialogs,
// the other card windows). The model decides; these only carry it out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// The three lists of one page: 16 lines each, lines joined by CR LF, no line
// end after the last. The character list is Shift-JIS bytes, as the card holds them.
struct PageText {
  std::string addresses;
  std::string dump;
  std::string chars;
};

// One line of each list, without line end.
struct LineText {
  std::string address;
  std::string dump;
  std::string chars;
};

enum class ListId { Dump, Chars };

// Caret positions count characters of the list's text including the line
// ends (two characters each); in the character list a character is a byte.
struct Carets {
  unsigned dump = 0;
  unsigned chars = 0;
};

struct LampColours {
  uint32_t card = 0xFFFFFF;     // "ST"
  uint32_t protect = 0xFFFFFF;  // "WP"
  uint32_t battery = 0xFFFFFF;  // "BATT"
  bool batteryEnabled = true;   // the battery lamp and its label apply
};

class CardWindowView {
 public:
  virtual ~CardWindowView() = default;
  virtual void setCaption(std::string_view text) = 0;
  virtual void setStatus(std::string_view text) = 0;
  virtual void setLamps(const LampColours& lamps) = 0;
  // Replaces all 16 lines of the three lists.
  virtual void showPage(const PageText& text) = 0;
  // Line moves: `line` enters at the top (the last line leaves) or at the
  // bottom (the first leaves), in all three lists.
  virtual void insertTopLine(const LineText& line) = 0;
  virtual void appendBottomLine(const LineText& line) = 0;
  // Line k (0..15) of all three lists, after an edit.
  virtual void replaceLine(unsigned k, const LineText& line) = 0;
  // Empties the address and character lists (the card is held elsewhere).
  virtual void clearAddressesAndChars() = 0;
  virtual void setCarets(const Carets& carets) = 0;
  virtual void setScrollRange(uint32_t maximum) = 0;
  virtual void setScrollPosition(uint32_t position) = 0;
  virtual void minimise() = 0;
  // Closes the window (after the model's own closing, see CardWindowModel::close).
  virtual void requestClose() = 0;
};

// Commands the window's keys and menus lead to that other parts of the
// program carry out (transfers, search, clipboard: later commands).
enum class WindowCommand { Copy, Paste, Search, SearchDown, SearchUp, Fill, Move, CompareFile, Help };

class CardWindowHost {
 public:
  virtual ~CardWindowHost() = default;
  virtual bool flashEditChecked() = 0;  // "&FLASHメモリエディット"
  virtual bool ataEditChecked() = 0;    // "&ATA エディット"
  virtual bool progressActive() = 0;    // the progress window is open
  // The system is of the NT family with major version 5 (battery lamp rule).
  virtual bool ntVersion5() = 0;
  // The jump box: `text` in, the user's text out; false on Cancel.
  virtual bool askAddress(std::string& text) = 0;
  // The open card dialog; true on OK (the choice is in the current selection).
  virtual bool askOpenCard() = 0;
  // End / Home: activate the next / previous card window.
  virtual void activateNeighbour(bool next) = 0;
  virtual void runCommand(WindowCommand command) = 0;
};

}  // namespace tessel
