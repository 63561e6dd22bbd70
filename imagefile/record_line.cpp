#include "record_line.h"

#include "format_ops.h"
#include "stream_io.h"

namespace hexo {

namespace {

bool failOnStreamEnd(HexoHandle& handle) {
  if (std::ferror(handle.file)) {
    fail(handle, ERR_READ);
  } else {
    handle.eof = EOF_REACHED;
    fail(handle, ERR_UNEXPECTED_EOF);
  }
  return false;
}

}  // namespace

// Both phases scan the stream's buffer in a local loop where they can see it
// and take one character through the stream when it runs dry.
bool readRecordLine(HexoHandle& handle, char startCharacter, char* line) {
  FILE* stream = handle.file;
  for (;;) {
    const ReadWindow window = readWindow(stream);
    const char* next = window.begin;
    while (next < window.end && *next != startCharacter) {
      if (*next == '\n') ++handle.line;
      ++next;
    }
    if (next < window.end) {
      consume(stream, static_cast<size_t>(next + 1 - window.begin));
      break;
    }
    consume(stream, static_cast<size_t>(next - window.begin));
    const int c = readChar(stream);
    if (c == startCharacter) break;
    if (c == EOF) return failOnStreamEnd(handle);
    if (c == '\n') ++handle.line;
  }

  size_t stored = 0;
  line[stored++] = startCharacter;
  for (;;) {
    const ReadWindow window = readWindow(stream);
    const char* next = window.begin;
    for (; next < window.end; ++next) {
      const char c = *next;
      if (c == '\r') continue;
      if (c == '\n') {
        consume(stream, static_cast<size_t>(next + 1 - window.begin));
        ++handle.line;
        line[stored] = '\0';
        return true;
      }
      if (stored == kMaxLineCharacters) {
        consume(stream, static_cast<size_t>(next + 1 - window.begin));
        line[stored] = '\0';
        fail(handle, ERR_BAD_RECORD_TYPE);
        return false;
      }
      line[stored++] = c;
    }
    consume(stream, static_cast<size_t>(next - window.begin));
    const int c = readChar(stream);
    if (c == EOF) {
      line[stored] = '\0';
      return failOnStreamEnd(handle);
    }
    if (c == '\r') continue;
    if (c == '\n') {
      ++handle.line;
      line[stored] = '\0';
      return true;
    }
    if (stored == kMaxLineCharacters) {
      line[stored] = '\0';
      fail(handle, ERR_BAD_RECORD_TYPE);
      return false;
    }
    line[stored++] = static_cast<char>(c);
  }
}

}  // namespace hexo
