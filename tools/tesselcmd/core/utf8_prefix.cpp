#include "utf8_prefix.h"

namespace tesselcmd {
namespace {

// The length a lead byte announces; 0 for a continuation byte, 1 for a byte
// that is a character of its own or no valid lead.
size_t sequenceLength(unsigned char lead) {
  if ((lead & 0xC0) == 0x80) return 0;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

size_t completeUtf8Prefix(std::string_view text) {
  // Only the last three bytes can belong to an unfinished sequence.
  const size_t size = text.size();
  for (size_t back = 1; back <= 3 && back <= size; ++back) {
    const size_t length = sequenceLength(static_cast<unsigned char>(text[size - back]));
    if (length == 0) continue;  // a continuation byte: look further back
    return length > back ? size - back : size;
  }
  return size;
}

}  // namespace tesselcmd
