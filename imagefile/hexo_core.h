// The memory image file interface in portable form: everything hexo32 exports
// except the error texts, which live in the DLL's resources. The DLL's exports
// are thin wrappers over these functions; host tools and tests call them
// directly.
#pragma once

#include <cstdint>
#include <cstdio>

#include "hexo_handle.h"

namespace hexo {

// The file type that a path's extension selects (the text from the path's last
// "." on, compared without regard to case); TYPE_BINARY when none matches.
FileType typeFromPath(const char* path);

// Opens `path` for writing when direction is 'w', else for reading. A type
// outside 0..4 is chosen by the path's extension. 0, or -1 with error 1.
int32_t open(HexoHandle& handle, const char* path, int32_t direction, int32_t type);

// As open, over a stream the caller already opened (the handle takes it over
// and closes it in close()). Lets tests and the fuzzer read from memory.
int32_t openStream(HexoHandle& handle, FILE* stream, const char* path, int32_t direction, int32_t type);

// A closed handle has no operations; calls on it fail instead of jumping
// through a null pointer. Inline: these two run once per byte.
inline bool isOpen(const HexoHandle& handle) { return handle.getOp != nullptr && handle.file != nullptr; }

inline int32_t getByte(HexoHandle& handle, uint32_t* address) {
  if (!isOpen(handle)) return -1;
  uint32_t ignored;
  return handle.getOp(&handle, address != nullptr ? address : &ignored);
}

inline int32_t putByte(HexoHandle& handle, uint32_t address, int32_t byte) {
  if (!isOpen(handle)) return -1;
  return handle.putOp(&handle, address, byte);
}

// Puts count bytes at address, address + 1, ... as that many putByte calls
// would, stopping at the first that fails: 0 when all were put, else -1 (the
// handle's error tells why). For callers with a whole block at hand: one call
// instead of one per byte, and the formats copy the block in bulk.
int32_t putBlock(HexoHandle& handle, uint32_t address, const uint8_t* bytes, uint32_t count);

// Gets up to count bytes whose addresses follow one another, as that many
// getByte calls would deliver them, and stores the first one's address
// (unless `address` is null): how many were delivered, or -1 where getByte
// would have returned -1 for the first (0 for a count of 0). It stops before
// a byte whose address does not follow the one before; that byte is the
// first the next get delivers. The readers copy whole records or buffers.
int32_t getBlock(HexoHandle& handle, uint32_t* address, uint8_t* bytes, uint32_t count);

int32_t isEof(const HexoHandle& handle);
int32_t close(HexoHandle& handle);
int32_t error(const HexoHandle& handle);
int32_t length(HexoHandle& handle);
int32_t lineNumber(HexoHandle& handle);
const char* path(const HexoHandle& handle);
int32_t position(HexoHandle& handle);
int32_t type(const HexoHandle& handle);

constexpr uint32_t kLibraryVersion = 0x01010000;

}  // namespace hexo
