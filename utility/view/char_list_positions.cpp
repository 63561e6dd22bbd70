#include "char_list_positions.h"

namespace tessel {
namespace {

constexpr unsigned kLineEnd = 2;  // CR LF, in both counts

bool isLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Bytes of the character starting at `offset`.
unsigned characterLength(std::string_view line, unsigned offset) {
  return isLeadByte(static_cast<unsigned char>(line[offset])) && offset + 1 < line.size() ? 2 : 1;
}

}  // namespace

unsigned unitsOfPrefix(std::string_view line, unsigned bytes) {
  unsigned units = 0;
  unsigned offset = 0;
  while (offset < line.size()) {
    unsigned length = characterLength(line, offset);
    if (offset + length > bytes) break;  // the second byte of a pair: the caret stands before it
    offset += length;
    ++units;
  }
  // Past the line's text (at its end): one unit per position.
  if (bytes > line.size()) units += bytes - static_cast<unsigned>(line.size());
  return units;
}

unsigned bytesOfPrefix(std::string_view line, unsigned units) {
  unsigned offset = 0;
  for (unsigned unit = 0; unit < units && offset < line.size(); ++unit)
    offset += characterLength(line, offset);
  return offset;
}

void CharListPositions::setLine(unsigned k, std::string_view bytes) {
  if (k < kLines) lines_[k] = std::string(bytes);
}

void CharListPositions::clear() {
  for (std::string& line : lines_) line.clear();
  placedPosition_ = placedUnits_ = 0;
}

unsigned CharListPositions::toUnits(unsigned position) const {
  unsigned units = 0;
  for (const std::string& line : lines_) {
    unsigned width = static_cast<unsigned>(line.size()) + kLineEnd;
    if (position < width) return units + unitsOfPrefix(line, position);
    position -= width;
    units += unitsOfPrefix(line, static_cast<unsigned>(line.size())) + kLineEnd;
  }
  return units;  // past the last line: its end
}

unsigned CharListPositions::place(unsigned position) {
  placedPosition_ = position;
  placedUnits_ = toUnits(position);
  return placedUnits_;
}

unsigned CharListPositions::caretAt(unsigned units) const {
  return units == placedUnits_ ? placedPosition_ : toBytes(units);
}

unsigned CharListPositions::toBytes(unsigned units) const {
  unsigned position = 0;
  for (const std::string& line : lines_) {
    unsigned lineUnits = unitsOfPrefix(line, static_cast<unsigned>(line.size()));
    if (units < lineUnits + kLineEnd) {
      if (units <= lineUnits) return position + bytesOfPrefix(line, units);
      return position + static_cast<unsigned>(line.size()) + (units - lineUnits);
    }
    units -= lineUnits + kLineEnd;
    position += static_cast<unsigned>(line.size()) + kLineEnd;
  }
  return position;
}

}  // namespace tessel
