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
  return std::fwrite(text, 1, length, stream) == length;
}

}  // namespace hexo
