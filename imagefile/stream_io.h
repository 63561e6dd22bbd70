// Character access to the handle's buffered stream without a lock per call: a
// handle belongs to one thread at a time, and the byte-at-a-time interface
// would otherwise spend most of its time taking and dropping the stream lock.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

// Where the C runtime's FILE shows its buffer (the classic Windows runtime and
// glibc), the text readers scan it directly and the writers copy whole records
// into it: per-character calls through the FILE cost more than the formats'
// own work. Elsewhere the character calls do everything.
#if defined(_WIN32) && !defined(_UCRT)
#define HEXO_MSVCRT_BUFFER 1
#elif defined(__GLIBC__)
#define HEXO_GLIBC_BUFFER 1
#endif

namespace hexo {

// The text types are written in binary mode with the platform's line end
// spelled out: under Wine the runtime's text-mode translation of every
// written character took longer than formatting the records.
#if defined(_WIN32)
constexpr char kLineEnd[] = "\r\n";
#else
constexpr char kLineEnd[] = "\n";
#endif
constexpr size_t kLineEndLength = sizeof kLineEnd - 1;

inline char* appendLineEnd(char* out) {
  std::memcpy(out, kLineEnd, kLineEndLength);
  return out + kLineEndLength;
}

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

// The read but not yet consumed part of the stream's buffer; empty when the
// runtime does not show it or the buffer needs refilling (readChar does that).
struct ReadWindow {
  const char* begin;
  const char* end;
};

inline ReadWindow readWindow(FILE* stream) {
#if defined(HEXO_MSVCRT_BUFFER)
  return {stream->_ptr, stream->_ptr + (stream->_cnt > 0 ? stream->_cnt : 0)};
#elif defined(HEXO_GLIBC_BUFFER)
  if (stream->_IO_read_ptr == nullptr || stream->_IO_read_end < stream->_IO_read_ptr)
    return {nullptr, nullptr};
  return {stream->_IO_read_ptr, stream->_IO_read_end};
#else
  (void)stream;
  return {nullptr, nullptr};
#endif
}

// Marks `count` characters of the read window as consumed.
inline void consume(FILE* stream, size_t count) {
#if defined(HEXO_MSVCRT_BUFFER)
  stream->_ptr += count;
  stream->_cnt -= static_cast<int>(count);
#elif defined(HEXO_GLIBC_BUFFER)
  stream->_IO_read_ptr += count;
#else
  (void)stream;
  (void)count;
#endif
}

// Up to this many characters (a record line) are cheaper put one by one than
// through a locked block write.
constexpr size_t kCharacterLoopLimit = 256;

inline bool writeAll(const char* text, size_t length, FILE* stream) {
#if defined(_WIN32)
#if defined(HEXO_MSVCRT_BUFFER)
  if (stream->_cnt >= static_cast<int>(length)) {
    std::memcpy(stream->_ptr, text, length);
    stream->_ptr += length;
    stream->_cnt -= static_cast<int>(length);
    return true;
  }
#endif
  // A block larger than a record goes through the runtime's own block write,
  // which passes whole buffers to the file (one lock for all of it).
  if (length > kCharacterLoopLimit) return std::fwrite(text, 1, length, stream) == length;
  // Character by character into the stream's buffer.
  for (size_t i = 0; i < length; ++i)
    if (_putc_nolock(static_cast<unsigned char>(text[i]), stream) == EOF) return false;
  return true;
#else
  return fwrite_unlocked(text, 1, length, stream) == length;
#endif
}

}  // namespace hexo
