// S-record reading, one reader for S19, S28 and S37 files: every data record
// kind is accepted whatever the type the file was opened as.
#include <cstring>

#include "format_ops.h"
#include "hex_text.h"
#include "record_line.h"

namespace hexo {

namespace {

enum class Outcome { NextRecord, DataReady, EndOfFile, Failed };

uint8_t byteAt(const HexoSrecReadState& state, size_t index) {
  return static_cast<uint8_t>(state.line[index]);
}

// Data record with an address of `Length` bytes, big-endian, behind the count.
template <uint32_t Length>
Outcome dataRecord(HexoHandle& handle) {
  HexoSrecReadState& state = handle.state.srecRead;
  const uint32_t count = byteAt(state, 0);
  // A record too short to hold its address and checksum carries no data;
  // its address bytes would lie beyond what was decoded, so they are not read.
  if (count <= Length + 1) return Outcome::NextRecord;
  uint32_t address = 0;
  for (uint32_t i = 1; i <= Length; ++i) address = address << 8 | byteAt(state, i);
  state.currentAddress = address;
  state.addressLength = Length;
  return Outcome::DataReady;
}

Outcome terminator(HexoHandle& handle) {
  handle.eof = EOF_REACHED;
  return Outcome::EndOfFile;
}

// Header (S0) and record count (S5) carry nothing for a memory image.
Outcome passOver(HexoHandle&) { return Outcome::NextRecord; }

Outcome unknown(HexoHandle& handle) { return fail(handle, ERR_BAD_RECORD_TYPE), Outcome::Failed; }

using RecordAction = Outcome (*)(HexoHandle& handle);

// Indexed by the type character's digit value; anything else is unknown.
const RecordAction kRecordActions[] = {
    passOver,       // S0 header
    dataRecord<2>,  // S1
    dataRecord<3>,  // S2
    dataRecord<4>,  // S3
    unknown,        // S4
    passOver,       // S5 record count
    unknown,        // S6
    terminator,     // S7
    terminator,     // S8
    terminator,     // S9
};

Outcome decodeRecord(HexoHandle& handle) {
  char* line = handle.state.srecRead.line;
  const char typeCharacter = line[1];  // overwritten by the conversion below
  // A line that ends right behind the "S" has its terminator where the type
  // belongs; the digits start behind it, in what the previous line left.
  if (typeCharacter == '\0') return fail(handle, ERR_BAD_CHARACTER), Outcome::Failed;
  if (!decodePairsInPlace(line, 2, 1)) return fail(handle, ERR_BAD_CHARACTER), Outcome::Failed;
  const size_t bytes = static_cast<uint8_t>(line[0]) + size_t{1};
  if (!decodePairsInPlace(line, 2, bytes)) return fail(handle, ERR_BAD_CHARACTER), Outcome::Failed;
  uint8_t sum = 0;
  for (size_t i = 0; i < bytes; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(line[i]));
  if (sum != 0xFF) return fail(handle, ERR_CHECKSUM), Outcome::Failed;
  if (typeCharacter < '0' || typeCharacter > '9') return unknown(handle);
  return kRecordActions[typeCharacter - '0'](handle);
}

bool fetchDataRecord(HexoHandle& handle) {
  while (handle.eof == 0 && handle.error == 0) {
    if (!readRecordLine(handle, 'S', handle.state.srecRead.line)) return false;
    if (decodeRecord(handle) == Outcome::DataReady) return true;
  }
  return false;
}

bool hasByteLeft(const HexoSrecReadState& state) {
  return state.dataIndex + state.addressLength + 1 < byteAt(state, 0);
}

void initReader(HexoHandle& handle, FileType) {
  std::memset(&handle.state.srecRead, 0, sizeof handle.state.srecRead);
}

int32_t getSrecord(HexoHandle* handle, uint32_t* address) {
  if (handle->eof != 0 || handle->error != 0) return -1;
  HexoSrecReadState& state = handle->state.srecRead;
  if (!hasByteLeft(state)) {
    if (!fetchDataRecord(*handle)) return -1;
    state.dataIndex = 0;
  }
  *address = state.currentAddress++;
  return byteAt(state, 1 + state.addressLength + state.dataIndex++);
}

// The reader's view for getRecordRuns.
struct SrecRecords {
  static bool ready(HexoHandle& handle) {
    HexoSrecReadState& state = handle.state.srecRead;
    if (hasByteLeft(state)) return true;
    if (!fetchDataRecord(handle)) return false;
    state.dataIndex = 0;
    return true;
  }
  static uint32_t address(const HexoHandle& handle) { return handle.state.srecRead.currentAddress; }
  static const char* data(const HexoHandle& handle) {
    const HexoSrecReadState& state = handle.state.srecRead;
    return state.line + 1 + state.addressLength + state.dataIndex;
  }
  static uint32_t left(const HexoHandle& handle) {
    const HexoSrecReadState& state = handle.state.srecRead;
    return byteAt(state, 0) - (state.dataIndex + state.addressLength + 1);
  }
  static void advance(HexoHandle& handle, uint32_t count) {
    handle.state.srecRead.currentAddress += count;
    handle.state.srecRead.dataIndex += count;
  }
};

}  // namespace

const FormatOps kSrecordReader = {initReader, getSrecord,  failAccessModePut,         closeNothing,
                                  lineField,  putEachByte, getRecordRuns<SrecRecords>};

}  // namespace hexo
