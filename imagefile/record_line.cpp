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

bool readRecordLine(HexoHandle& handle, char startCharacter, char* line) {
  FILE* stream = handle.file;
  int c;
  while ((c = readChar(stream)) != startCharacter) {
    if (c == EOF) return failOnStreamEnd(handle);
    if (c == '\n') ++handle.line;
  }
  size_t stored = 0;
  line[stored++] = startCharacter;
  for (;;) {
    c = readChar(stream);
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
