// The character list counts positions in two ways. The model counts bytes,
// as the card holds them (a double-byte Shift-JIS character is two
// positions); an edit control of the wide API counts UTF-16 units, in which
// that character is one. This map converts between the two over the 16
// lines of a page, each line converted to UTF-16 on its own.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tessel {

class CharListPositions {
 public:
  static constexpr unsigned kLines = 16;

  // Line k's bytes as shown (Shift-JIS, without line end).
  void setLine(unsigned k, std::string_view bytes);
  void clear();

  // Model position (bytes, two per line end) -> edit position (UTF-16 units).
  // The second byte of a double-byte character shares its first byte's unit.
  unsigned toUnits(unsigned position) const;
  // Edit position -> model position. A unit that stands for a double-byte
  // character gives the position of its first byte.
  unsigned toBytes(unsigned units) const;

  // The caret as the model placed it: while the edit's caret stays on the
  // unit it was put on, the model gets back the very position it set, even
  // the second byte of a double-byte character, which has no unit of its own.
  unsigned place(unsigned position);
  unsigned caretAt(unsigned units) const;

 private:
  std::array<std::string, kLines> lines_;
  unsigned placedPosition_ = 0;
  unsigned placedUnits_ = 0;
};

// UTF-16 units taken by the first `bytes` bytes of one line. A lead byte
// followed by a second byte is one unit for both; a lead byte at the end of
// the line stands alone. Positions past the line's text count one unit each.
unsigned unitsOfPrefix(std::string_view line, unsigned bytes);
// The byte offset in `line` at which unit `units` starts (the line's length
// when it lies at or past the end).
unsigned bytesOfPrefix(std::string_view line, unsigned units);

}  // namespace tessel
