// Intel HEX reading: data records delivered byte by byte, addresses built from
// the linear base (type 04), the segment base (type 02) and the record offset.
#include <cstring>

#include "format_ops.h"
#include "hex_text.h"
#include "record_line.h"

namespace hexo {

namespace {

// Record bytes in the converted line buffer.
constexpr size_t kCount = 0, kAddressHigh = 1, kAddressLow = 2, kType = 3, kData = 4;
constexpr size_t kFrameBytes = 5;  // count, address high, address low, type, checksum

uint8_t byteAt(const HexoHexReadState& state, size_t index) {
  return static_cast<uint8_t>(state.line[index]);
}

// The value of an extended address record. Its count is not checked: the
// value is always the first two bytes behind the type.
uint32_t extendedValue(const HexoHexReadState& state) {
  return static_cast<uint32_t>(byteAt(state, kData)) << 8 | byteAt(state, kData + 1);
}

enum class Outcome { NextRecord, DataReady, EndOfFile, Failed };

Outcome dataRecord(HexoHandle& handle) {
  HexoHexReadState& state = handle.state.hexRead;
  state.offset = static_cast<uint32_t>(byteAt(state, kAddressHigh)) << 8 | byteAt(state, kAddressLow);
  return byteAt(state, kCount) > 0 ? Outcome::DataReady : Outcome::NextRecord;
}

Outcome endRecord(HexoHandle& handle) {
  handle.eof = EOF_REACHED;
  return Outcome::EndOfFile;
}

Outcome segmentRecord(HexoHandle& handle) {
  handle.state.hexRead.segmentBase = extendedValue(handle.state.hexRead) << 4;
  return Outcome::NextRecord;
}

Outcome linearRecord(HexoHandle& handle) {
  handle.state.hexRead.linearBase = extendedValue(handle.state.hexRead) << 16;
  return Outcome::NextRecord;
}

// Start addresses mean nothing to a memory image.
Outcome passOver(HexoHandle&) { return Outcome::NextRecord; }

using RecordAction = Outcome (*)(HexoHandle& handle);

// Indexed by record type; any type beyond the table is not recognised.
const RecordAction kRecordActions[] = {
    dataRecord,     // 00 data
    endRecord,      // 01 end of file
    segmentRecord,  // 02 extended segment address
    passOver,       // 03 start segment address
    linearRecord,   // 04 extended linear address
    passOver,       // 05 start linear address
};

Outcome decodeRecord(HexoHandle& handle) {
  char* line = handle.state.hexRead.line;
  if (!decodePairsInPlace(line, 1, 1)) return fail(handle, ERR_BAD_CHARACTER), Outcome::Failed;
  const size_t bytes = static_cast<uint8_t>(line[kCount]) + kFrameBytes;
  if (!decodePairsInPlace(line, 1, bytes)) return fail(handle, ERR_BAD_CHARACTER), Outcome::Failed;
  uint8_t sum = 0;
  for (size_t i = 0; i < bytes; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(line[i]));
  if (sum != 0) return fail(handle, ERR_CHECKSUM), Outcome::Failed;
  const uint8_t type = static_cast<uint8_t>(line[kType]);
  if (type >= sizeof kRecordActions / sizeof kRecordActions[0]) {
    return fail(handle, ERR_BAD_RECORD_TYPE), Outcome::Failed;
  }
  return kRecordActions[type](handle);
}

bool fetchDataRecord(HexoHandle& handle) {
  while (handle.eof == 0 && handle.error == 0) {
    if (!readRecordLine(handle, ':', handle.state.hexRead.line)) return false;
    if (decodeRecord(handle) == Outcome::DataReady) return true;
  }
  return false;
}

void initReader(HexoHandle& handle, FileType) {
  std::memset(&handle.state.hexRead, 0, sizeof handle.state.hexRead);
}

int32_t getHex(HexoHandle* handle, uint32_t* address) {
  if (handle->eof != 0 || handle->error != 0) return -1;
  HexoHexReadState& state = handle->state.hexRead;
  if (state.dataIndex >= byteAt(state, kCount)) {
    if (!fetchDataRecord(*handle)) return -1;
    state.dataIndex = 0;
  }
  // Within a record the address grows by one per byte, on past 64 KiB and
  // 1 MiB boundaries; each record starts again from its own offset and the
  // bases as the file set them. A carry kept beyond the record would shift
  // every later record of files whose records run across 64 KiB, as other
  // tools write them, by 64 KiB.
  *address = state.linearBase + state.segmentBase + state.offset + state.dataIndex;
  return byteAt(state, kData + state.dataIndex++);
}

// The reader's view for getRecordRuns.
struct HexRecords {
  static bool ready(HexoHandle& handle) {
    HexoHexReadState& state = handle.state.hexRead;
    if (state.dataIndex < byteAt(state, kCount)) return true;
    if (!fetchDataRecord(handle)) return false;
    state.dataIndex = 0;
    return true;
  }
  static uint32_t address(const HexoHandle& handle) {
    const HexoHexReadState& state = handle.state.hexRead;
    return state.linearBase + state.segmentBase + state.offset + state.dataIndex;
  }
  static const char* data(const HexoHandle& handle) {
    return handle.state.hexRead.line + kData + handle.state.hexRead.dataIndex;
  }
  static uint32_t left(const HexoHandle& handle) {
    return byteAt(handle.state.hexRead, kCount) - handle.state.hexRead.dataIndex;
  }
  static void advance(HexoHandle& handle, uint32_t count) { handle.state.hexRead.dataIndex += count; }
};

}  // namespace

const FormatOps kIntelHexReader = {initReader, getHex,      failAccessModePut,        closeNothing,
                                   lineField,  putEachByte, getRecordRuns<HexRecords>};

}  // namespace hexo
