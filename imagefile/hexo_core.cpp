#include "hexo_core.h"

#include <cstdint>
#include <cstring>

#include "format_ops.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace hexo {

namespace {

struct ExtensionRow {
  const char* extension;
  FileType type;
};

// Compared in this order; the first match wins.
const ExtensionRow kExtensions[] = {
    {".HEX", TYPE_INTEL_HEX},
    {".S19", TYPE_S19},
    {".S28", TYPE_S28},
    {".S37", TYPE_S37},
};

bool equalIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(*a) != upper(*b)) return false;
  }
  return *a == *b;
}

bool isValidType(int32_t type) { return type >= TYPE_BINARY && type <= TYPE_S37; }

// Text types are read in text mode (readers drop CRs either way, and the
// Windows runtime ends a file at Ctrl-Z as it always did) but written in
// binary mode: the writers spell the platform's line end themselves.
const char* streamMode(FileType type, bool writing) {
  if (writing) return "wb";
  return type == TYPE_BINARY ? "rb" : "rt";
}

// The byte-at-a-time interface reads and writes through the stream's buffer;
// a larger buffer than the runtime's default (4 KiB) saves most of the calls
// into the system, which dominate otherwise.
constexpr size_t kStreamBufferSize = 64 * 1024;

// A file to write that does not exist yet is created as a new file, not
// through the runtime's "w" open: under Wine that open truncates the file it
// has just made, and ext4 treats a truncated file as one rewritten in place,
// writing all of it out when it is closed (180 MiB of Intel HEX cost 0.1 s
// in the close). An existing file is still opened with "w" and truncated.
FILE* createNewFile(const char* path) {
#if defined(_WIN32)
  const int descriptor =
      _sopen(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  FILE* stream = _fdopen(descriptor, "wb");
  if (stream == nullptr) _close(descriptor);
  return stream;
#else
  // A new file's open with O_TRUNC truncates nothing here.
  (void)path;
  return nullptr;
#endif
}

FILE* openShared(const char* path, const char* mode, bool writing) {
  FILE* stream = writing ? createNewFile(path) : nullptr;
#if defined(_WIN32)
  if (stream == nullptr) stream = _fsopen(path, mode, _SH_DENYNO);
#else
  if (stream == nullptr) stream = std::fopen(path, mode);
#endif
  if (stream != nullptr) std::setvbuf(stream, nullptr, _IOFBF, kStreamBufferSize);
  return stream;
}

// Copies what fits of the path into the handle, always NUL-terminated.
// Returns false when the path does not fit whole: such a path is refused
// rather than truncated, since a shortened path would name another file.
bool storePath(HexoHandle& handle, const char* path) {
  if (path == nullptr) {
    handle.path[0] = '\0';
    return false;
  }
  const size_t length = std::strlen(path);
  const size_t copied = length < kPathSize ? length : kPathSize - 1;
  std::memcpy(handle.path, path, copied);
  handle.path[copied] = '\0';
  return length < kPathSize;
}

FileType resolveType(const char* path, int32_t type) {
  return isValidType(type) ? static_cast<FileType>(type) : typeFromPath(path);
}

void finishOpen(HexoHandle& handle, FILE* stream, FileType type, bool writing) {
  const FormatOps& ops = formatOps(type, writing);
  handle.file = stream;
  handle.type = type;
  handle.error = ERR_NONE;
  handle.mode = writing ? MODE_WRITE : MODE_READ;
  ops.init(handle, type);
  handle.lineOp = ops.line;
  handle.closeOp = ops.close;
  handle.getOp = ops.get;
  handle.putOp = ops.put;
}

}  // namespace

FileType typeFromPath(const char* path) {
  if (path == nullptr) return TYPE_BINARY;
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr) return TYPE_BINARY;
  for (const ExtensionRow& row : kExtensions)
    if (equalIgnoringCase(dot, row.extension)) return row.type;
  return TYPE_BINARY;
}

int32_t open(HexoHandle& handle, const char* path, int32_t direction, int32_t type) {
  const bool pathFits = storePath(handle, path);
  handle.eof = 0;
  handle.line = 0;
  const bool writing = direction == MODE_WRITE;
  const FileType chosen = resolveType(handle.path, type);
  FILE* stream = pathFits ? openShared(handle.path, streamMode(chosen, writing), writing) : nullptr;
  if (stream == nullptr) return fail(handle, ERR_OPEN);
  finishOpen(handle, stream, chosen, writing);
  return 0;
}

int32_t openStream(HexoHandle& handle, FILE* stream, const char* path, int32_t direction, int32_t type) {
  storePath(handle, path);
  handle.eof = 0;
  handle.line = 0;
  if (stream == nullptr) return fail(handle, ERR_OPEN);
  finishOpen(handle, stream, resolveType(handle.path, type), direction == MODE_WRITE);
  return 0;
}

int32_t putBlock(HexoHandle& handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  if (!isOpen(handle)) return -1;
  if (count == 0) return 0;
  if (bytes == nullptr) return -1;
  // The handle is the caller's memory: its operations are trusted only when
  // they are the ones open() chose, else the block goes byte by byte.
  if (isValidType(handle.type)) {
    const FormatOps& ops = formatOps(static_cast<FileType>(handle.type), handle.mode == MODE_WRITE);
    if (ops.put == handle.putOp) return ops.putBlock(&handle, address, bytes, count);
  }
  return putEachByte(&handle, address, bytes, count);
}

int32_t getBlock(HexoHandle& handle, uint32_t* address, uint8_t* bytes, uint32_t count) {
  if (!isOpen(handle)) return -1;
  if (count == 0) return 0;
  if (bytes == nullptr) return -1;
  // The count delivered must fit the result.
  if (count > static_cast<uint32_t>(INT32_MAX)) count = INT32_MAX;
  uint32_t ignored;
  uint32_t* first = address != nullptr ? address : &ignored;
  // As for putBlock: only the operations open() chose are trusted with the
  // handle's state.
  if (isValidType(handle.type)) {
    const FormatOps& ops = formatOps(static_cast<FileType>(handle.type), handle.mode == MODE_WRITE);
    if (ops.get == handle.getOp) return ops.getBlock(&handle, first, bytes, count);
  }
  return getOneByte(&handle, first, bytes, count);
}

int32_t isEof(const HexoHandle& handle) { return handle.eof != 0 ? 1 : 0; }

int32_t close(HexoHandle& handle) {
  if (!isOpen(handle)) return -1;
  const int32_t formatResult = handle.closeOp(&handle);
  const int streamResult = std::fclose(handle.file);
  handle.file = nullptr;
  handle.lineOp = nullptr;
  handle.closeOp = nullptr;
  handle.getOp = nullptr;
  handle.putOp = nullptr;
  return (formatResult != 0 || streamResult != 0) ? -1 : 0;
}

int32_t error(const HexoHandle& handle) { return handle.error; }

int32_t length(HexoHandle& handle) {
  if (!isOpen(handle)) return -1;
  const long remembered = std::ftell(handle.file);
  long result = -1;
  if (std::fseek(handle.file, 0, SEEK_END) == 0) result = std::ftell(handle.file);
  std::fseek(handle.file, remembered, SEEK_SET);
  return static_cast<int32_t>(result);
}

int32_t lineNumber(HexoHandle& handle) {
  if (!isOpen(handle)) return -1;
  return handle.lineOp(&handle);
}

const char* path(const HexoHandle& handle) { return handle.path; }

int32_t position(HexoHandle& handle) {
  if (!isOpen(handle)) return -1;
  return static_cast<int32_t>(std::ftell(handle.file));
}

int32_t type(const HexoHandle& handle) { return handle.type; }

}  // namespace hexo
