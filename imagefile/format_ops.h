// The one small interface every format implements: an initialisation of its
// state in the handle and the four operations the handle carries. The calling
// interface picks a row by file type and direction.
#pragma once

#include <cstring>

#include "hexo_handle.h"

namespace hexo {

// Puts count bytes at consecutive addresses from `address`, as that many
// calls of the put operation would, stopping at the first that fails.
// 0 when every byte was put, else -1.
using HexoPutBlockOp = int32_t (*)(HexoHandle* handle, uint32_t address, const uint8_t* bytes,
                                   uint32_t count);
// Gets up to count (at least 1) bytes whose addresses follow one another, as
// that many calls of the get operation deliver them, and stores the first
// one's address: the number delivered, or -1 where the get operation would
// have returned -1 for the first. It stops before a byte whose address does
// not follow; that byte is the first of the next get.
using HexoGetBlockOp = int32_t (*)(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count);

struct FormatOps {
  void (*init)(HexoHandle& handle, FileType type);
  HexoGetOp get;
  HexoPutOp put;
  HexoCloseOp close;
  HexoLineOp line;
  HexoPutBlockOp putBlock;
  HexoGetBlockOp getBlock;
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
// One byte through the get operation, a run of its own: for writers (which
// refuse it) and wherever the next byte cannot be looked at without taking it.
int32_t getOneByte(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count);

// The block operation of the record readers. The data left in the current
// record lies at consecutive addresses and is copied whole; the next record
// is fetched only while the run may go on, and when its address does not
// follow, none of its bytes is taken. `Records` gives the reader's view:
// ready (a record with data left is current, fetched when needed), address
// (of its next byte), data (its next byte), left (its bytes left), advance.
template <typename Records>
int32_t getRecordRuns(HexoHandle* handle, uint32_t* first, uint8_t* bytes, uint32_t count) {
  uint32_t done = 0;
  uint32_t next = 0;
  while (done < count && handle->eof == 0 && handle->error == 0 && Records::ready(*handle)) {
    const uint32_t at = Records::address(*handle);
    if (done == 0) {
      *first = at;
    } else if (at != next) {
      break;
    }
    uint32_t n = Records::left(*handle);
    if (n > count - done) n = count - done;
    std::memcpy(bytes + done, Records::data(*handle), n);
    Records::advance(*handle, n);
    done += n;
    next = at + n;
  }
  return done == 0 ? -1 : static_cast<int32_t>(done);
}

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
