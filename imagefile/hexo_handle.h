// The handle record of an open memory image file. The caller allocates it
// (usually as a local) and passes its address to every hexo32 call; the library
// fills it and never allocates or frees it. This is the chief header of the
// record: the card utility and the library both include it.
//
// Packed and laid out field by field as older callers expect; on a 32-bit
// build every pointer is four bytes wide and the record is 828 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct HexoHandle;

// The four per-type operations the handle carries. Each takes the handle first.
using HexoLineOp = int32_t (*)(HexoHandle* handle);
using HexoCloseOp = int32_t (*)(HexoHandle* handle);
using HexoGetOp = int32_t (*)(HexoHandle* handle, uint32_t* address);
using HexoPutOp = int32_t (*)(HexoHandle* handle, uint32_t address, int32_t byte);

namespace hexo {

enum FileType : int32_t {
  TYPE_BINARY = 0,
  TYPE_INTEL_HEX = 1,
  TYPE_S19 = 2,
  TYPE_S28 = 3,
  TYPE_S37 = 4,
};

enum ErrorCode : int32_t {
  ERR_NONE = 0,
  ERR_OPEN = 1,
  ERR_ACCESS_MODE = 2,
  ERR_READ = 3,
  ERR_WRITE = 4,
  ERR_UNEXPECTED_EOF = 5,
  ERR_NOT_A_RECORD = 6,  // never set; its text stays in the table
  ERR_BAD_CHARACTER = 7,
  ERR_CHECKSUM = 8,
  ERR_BAD_RECORD_TYPE = 9,
  ERR_ADDRESS_OVERLAP = 10,
  ERR_ADDRESS_OVERFLOW = 11,
  ERR_UNKNOWN = 12,
};
constexpr int kErrorCodeCount = 13;

constexpr int32_t MODE_WRITE = 'w';
constexpr int32_t MODE_READ = 'r';
constexpr int32_t EOF_REACHED = -1;

constexpr size_t kPathSize = 260;        // 259 characters and the NUL
constexpr size_t kLineBufferSize = 512;  // a record line of at most 510 characters and its NUL
constexpr size_t kMaxLineCharacters = 510;
constexpr size_t kRecordDataSize = 16;  // data bytes per written record

}  // namespace hexo

#pragma pack(push, 1)

struct HexoBinaryReadState {
  uint32_t nextAddress;
};

struct HexoBinaryWriteState {
  uint32_t firstByte;  // 1 until the first put
  uint32_t nextAddress;
};

struct HexoHexReadState {
  uint32_t offset;
  uint32_t segmentBase;
  uint32_t linearBase;
  uint32_t dataIndex;
  // The record line; converted in place to the record's bytes: count,
  // address high, address low, type, data..., checksum.
  char line[hexo::kLineBufferSize];
};

struct HexoHexWriteState {
  uint32_t recordAddress;
  uint32_t pendingCount;
  uint8_t data[hexo::kRecordDataSize];
};

struct HexoSrecReadState {
  uint32_t addressLength;
  uint32_t currentAddress;
  uint32_t dataIndex;
  // The record line; converted in place (behind "S" and the type character)
  // to the record's bytes: count, address, data..., checksum.
  char line[hexo::kLineBufferSize];
};

struct HexoSrecWriteState {
  uint32_t addressBytes;
  uint32_t highestAddress;
  const char* dataRecordFormat;
  const char* terminatorRecord;
  uint32_t recordAddress;
  uint32_t pendingCount;
  uint8_t data[hexo::kRecordDataSize];
};

union HexoFormatState {
  HexoBinaryReadState binaryRead;
  HexoBinaryWriteState binaryWrite;
  HexoHexReadState hexRead;
  HexoHexWriteState hexWrite;
  HexoSrecReadState srecRead;
  HexoSrecWriteState srecWrite;
};

struct HexoHandle {
  char path[hexo::kPathSize];
  int32_t mode;
  int32_t type;
  FILE* file;
  int32_t eof;
  int32_t error;
  int32_t line;
  HexoLineOp lineOp;
  HexoCloseOp closeOp;
  HexoGetOp getOp;
  HexoPutOp putOp;
  HexoFormatState state;
};

#pragma pack(pop)

namespace hexo::layout {
constexpr size_t P = sizeof(void*);
static_assert(sizeof(HexoHexReadState) == 528);
static_assert(sizeof(HexoSrecReadState) == 524);
static_assert(sizeof(HexoSrecWriteState) == 32 + 2 * P);
static_assert(sizeof(HexoFormatState) == 528);
static_assert(offsetof(HexoHexReadState, line) == 16);
static_assert(offsetof(HexoSrecReadState, line) == 12);
static_assert(offsetof(HexoSrecWriteState, recordAddress) == 8 + 2 * P);
static_assert(offsetof(HexoSrecWriteState, data) == 16 + 2 * P);
static_assert(offsetof(HexoHexWriteState, data) == 8);
static_assert(offsetof(HexoBinaryWriteState, nextAddress) == 4);

static_assert(offsetof(HexoHandle, path) == 0);
static_assert(offsetof(HexoHandle, mode) == 260);
static_assert(offsetof(HexoHandle, type) == 264);
static_assert(offsetof(HexoHandle, file) == 268);
static_assert(offsetof(HexoHandle, eof) == 268 + P);
static_assert(offsetof(HexoHandle, error) == 272 + P);
static_assert(offsetof(HexoHandle, line) == 276 + P);
static_assert(offsetof(HexoHandle, lineOp) == 280 + P);
static_assert(offsetof(HexoHandle, closeOp) == 280 + 2 * P);
static_assert(offsetof(HexoHandle, getOp) == 280 + 3 * P);
static_assert(offsetof(HexoHandle, putOp) == 280 + 4 * P);
static_assert(offsetof(HexoHandle, state) == 280 + 5 * P);
static_assert(sizeof(HexoHandle) == 808 + 5 * P);
}  // namespace hexo::layout
