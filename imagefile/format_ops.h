// The one small interface every format implements: an initialisation of its
// state in the handle and the four operations the handle carries. The calling
// interface picks a row by file type and direction.
#pragma once

#include "hexo_handle.h"

namespace hexo {

// Puts count bytes at consecutive addresses from `address`, as that many
// calls of the put operation would, stopping at the first that fails.
// 0 when every byte was put, else -1.
using HexoPutBlockOp = int32_t (*)(HexoHandle* handle, uint32_t address, const uint8_t* bytes,
                                   uint32_t count);

struct FormatOps {
  void (*init)(HexoHandle& handle, FileType type);
  HexoGetOp get;
  HexoPutOp put;
  HexoCloseOp close;
  HexoLineOp line;
  HexoPutBlockOp putBlock;
};

const FormatOps& formatOps(FileType type, bool writing);

// Operations several formats share.
int32_t failAccessModeGet(HexoHandle* handle, uint32_t* address);
int32_t failAccessModePut(HexoHandle* handle, uint32_t address, int32_t byte);
int32_t closeNothing(HexoHandle* handle);
int32_t lineField(HexoHandle* handle);
int32_t streamPosition(HexoHandle* handle);
// A block as single puts, for readers (which refuse the first byte) and as the
// reference the faster writers' block operations must match.
int32_t putEachByte(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count);

// The block operation of the record writers. Their records hold at most 16
// bytes and never run across a multiple of 16, so once `put` has placed the
// first byte of a 16-byte line (deciding about flushes, address records and
// limits), the rest of that line can only continue the same record: it is
// copied into the record whole instead of byte by byte.
template <int32_t (*put)(HexoHandle*, uint32_t, int32_t), typename State>
int32_t putLinesOfSixteen(HexoHandle* handle, State& state, uint32_t address, const uint8_t* bytes,
                          uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    const uint32_t at = address + done;
    if (put(handle, at, bytes[done]) < 0) return -1;
    ++done;
    uint32_t rest = 15 - (at & 15);
    if (rest > count - done) rest = count - done;
    for (uint32_t i = 0; i < rest; ++i) state.data[state.pendingCount + i] = bytes[done + i];
    state.pendingCount += rest;
    done += rest;
  }
  return 0;
}

// One row per format and direction, each defined beside its implementation.
extern const FormatOps kBinaryReader;
extern const FormatOps kBinaryWriter;
extern const FormatOps kIntelHexReader;
extern const FormatOps kIntelHexWriter;
extern const FormatOps kSrecordReader;
extern const FormatOps kSrecordWriter;

// Marks the handle failed with a sticky error and gives the failure result.
inline int32_t fail(HexoHandle& handle, ErrorCode code) {
  handle.error = code;
  return -1;
}

}  // namespace hexo
