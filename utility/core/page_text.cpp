#include "page_text.h"

#include <algorithm>

namespace tessel {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned kDigitsPerLine = kLineBytes * 3 - 1;  // 47: the blank after the last byte is left out

void appendHexByte(std::string& out, uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

bool isLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool isTrailByte(uint8_t byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC); }
bool isShownAsItself(uint8_t byte) {
  return (byte >= 0x20 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xDF);
}

// The first `count` bytes of a line; bytes past an area's end are blanks, so
// that every line keeps its length and the caret positions stay valid.
std::string dumpLineOf(const uint8_t* bytes, unsigned count) {
  std::string line;
  line.reserve(kDigitsPerLine);
  for (unsigned j = 0; j < kLineBytes; ++j) {
    if (j != 0) line.push_back(' ');
    if (j < count)
      appendHexByte(line, bytes[j]);
    else
      line.append("  ");
  }
  return line;
}

// A double-byte character is only shown when both of its bytes lie on this
// line: the column is read line by line, and a character cut by the line end
// would shift every following character of the list.
std::string charLineOf(const uint8_t* bytes, unsigned count) {
  std::string line;
  line.reserve(kLineBytes);
  bool trailNext = false;
  for (unsigned j = 0; j < kLineBytes; ++j) {
    if (j >= count) {
      line.push_back(' ');
      continue;
    }
    const uint8_t byte = bytes[j];
    if (trailNext) {
      trailNext = false;
      line.push_back(static_cast<char>(byte));
    } else if (isLeadByte(byte)) {
      const uint8_t next = j + 1 < count ? bytes[j + 1] : 0;
      trailNext = isTrailByte(next);
      line.push_back(trailNext ? static_cast<char>(byte) : '.');
    } else {
      line.push_back(isShownAsItself(byte) ? static_cast<char>(byte) : '.');
    }
  }
  return line;
}

unsigned bytesOnLine(unsigned valid, unsigned k) {
  const unsigned first = k * kLineBytes;
  return valid > first ? std::min(valid - first, kLineBytes) : 0;
}

}  // namespace

std::string addressLine(uint32_t address) {
  std::string line(8, '0');
  for (int digit = 7; digit >= 0; --digit, address >>= 4)
    line[static_cast<size_t>(digit)] = kHexDigits[address & 0x0F];
  return line;
}

std::string dumpLine(const uint8_t* bytes) { return dumpLineOf(bytes, kLineBytes); }

std::string charLine(const uint8_t* bytes) { return charLineOf(bytes, kLineBytes); }

LineText pageLine(uint32_t top, const uint8_t* page, unsigned k, unsigned valid) {
  const unsigned count = bytesOnLine(valid, k);
  const uint8_t* bytes = page + k * kLineBytes;
  // A line wholly past the area's end has no address either.
  return {count != 0 ? addressLine(top + k * kLineBytes) : std::string(), dumpLineOf(bytes, count),
          charLineOf(bytes, count)};
}

PageText pageText(uint32_t top, const uint8_t* page, unsigned valid) {
  PageText text;
  for (unsigned k = 0; k < kPageLines; ++k) {
    if (k != 0) {
      text.addresses += "\r\n";
      text.dump += "\r\n";
      text.chars += "\r\n";
    }
    LineText line = pageLine(top, page, k, valid);
    text.addresses += line.address;
    text.dump += line.dump;
    text.chars += line.chars;
  }
  return text;
}

// A position on a line end counts as the line's last byte, so that no
// position leads past the page.
unsigned dumpIndexAt(unsigned position) {
  const unsigned line = std::min(position / kDumpLineLength, kPageLines - 1);
  return line * kLineBytes + std::min(position % kDumpLineLength / 3, kLineBytes - 1);
}

unsigned charIndexAt(unsigned position) {
  const unsigned line = std::min(position / kCharLineLength, kPageLines - 1);
  return line * kLineBytes + std::min(position % kCharLineLength, kLineBytes - 1);
}

unsigned dumpPositionOf(unsigned index) { return 3 * index + index / kLineBytes; }

unsigned charPositionOf(unsigned index) { return index + 2 * (index / kLineBytes); }

bool onLowDigit(unsigned position) {
  const unsigned column = position % kDumpLineLength;
  return column < kDigitsPerLine && column % 3 == 1;
}

}  // namespace tessel
