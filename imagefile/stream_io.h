// Character access to the handle's buffered stream without a lock per call: a
// handle belongs to one thread at a time, and the byte-at-a-time interface
// would otherwise spend most of its time taking and dropping the stream lock.
#pragma once

#include <cstddef>
#include <cstdio>

namespace hexo {

inline int readChar(FILE* stream) {
#if defined(_WIN32)
  return _getc_nolock(stream);
#else
  return getc_unlocked(stream);
#endif
}

inline int writeChar(int c, FILE* stream) {
#if defined(_WIN32)
  return _putc_nolock(c, stream);
#else
  return putc_unlocked(c, stream);
#endif
}

inline bool writeAll(const char* text, size_t length, FILE* stream) {
#if defined(_WIN32)
  // Character by character into the stream's buffer; the text-mode line end
  // translation happens when the buffer goes to the file.
  for (size_t i = 0; i < length; ++i)
    if (_putc_nolock(static_cast<unsigned char>(text[i]), stream) == EOF) return false;
  return true;
#else
  return fwrite_unlocked(text, 1, length, stream) == length;
#endif
}

}  // namespace hexo
