// S-record writing: S1, S2 or S3 data records of at most 16 bytes that never
// run across a multiple of 16, and the type's terminator at close. No header
// or record count record is written.
#include <cstring>

#include "format_ops.h"
#include "hex_text.h"
#include "stream_io.h"

namespace hexo {

namespace {

struct WriterParameters {
  FileType type;
  uint32_t addressBytes;
  uint32_t highestAddress;
  const char* dataRecordFormat;
  const char* terminatorRecord;
};

// The data record format's second character is the record type that the
// writer puts out; the rest of the format is what the formatter below does.
const WriterParameters kWriterParameters[] = {
    {TYPE_S19, 2, 0xFFFF, "S1%02X%04lX", "S9030000FC"},
    {TYPE_S28, 3, 0xFFFFFF, "S2%02X%06lX", "S804000000FB"},
    {TYPE_S37, 4, 0xFFFFFFFF, "S3%02X%08lX", "S70500000000FA"},
};

const WriterParameters& parametersFor(FileType type) {
  for (const WriterParameters& row : kWriterParameters)
    if (row.type == type) return row;
  return kWriterParameters[0];
}

bool flush(HexoHandle& handle) {
  HexoSrecWriteState& state = handle.state.srecWrite;
  if (state.pendingCount == 0) return true;
  ++handle.line;
  char text[2 + 2 + 8 + 2 * kRecordDataSize + 2 + kLineEndLength];
  const uint8_t count = static_cast<uint8_t>(state.pendingCount + state.addressBytes + 1);
  uint8_t sum = count;
  char* out = text;
  *out++ = 'S';
  *out++ = state.dataRecordFormat[1];
  out = appendByte(out, count);
  out = appendHex(out, state.recordAddress, static_cast<int>(state.addressBytes * 2));
  for (uint32_t i = 0; i < state.addressBytes; ++i)
    sum = static_cast<uint8_t>(sum + (state.recordAddress >> (8 * i)));
  for (uint32_t i = 0; i < state.pendingCount; ++i) {
    out = appendByte(out, state.data[i]);
    sum = static_cast<uint8_t>(sum + state.data[i]);
  }
  out = appendByte(out, static_cast<uint8_t>(~sum));
  out = appendLineEnd(out);
  if (!writeAll(text, static_cast<size_t>(out - text), handle.file)) return fail(handle, ERR_WRITE), false;
  state.pendingCount = 0;
  return true;
}

void initWriter(HexoHandle& handle, FileType type) {
  const WriterParameters& parameters = parametersFor(type);
  HexoSrecWriteState& state = handle.state.srecWrite;
  state.addressBytes = parameters.addressBytes;
  state.highestAddress = parameters.highestAddress;
  state.dataRecordFormat = parameters.dataRecordFormat;
  state.terminatorRecord = parameters.terminatorRecord;
  state.recordAddress = 0;
  state.pendingCount = 0;
}

int32_t putSrecord(HexoHandle* handle, uint32_t address, int32_t byte) {
  if (handle->error != 0) return -1;
  HexoSrecWriteState& state = handle->state.srecWrite;
  if (address > state.highestAddress) return fail(*handle, ERR_ADDRESS_OVERFLOW);
  const bool continues = state.pendingCount < kRecordDataSize &&
                         state.recordAddress + state.pendingCount == address && address % 16 != 0;
  if (!continues) {
    if (!flush(*handle)) return -1;
    state.recordAddress = address;
  }
  state.data[state.pendingCount++] = static_cast<uint8_t>(byte);
  return byte & 0xFF;
}

// The terminator is written without a check of its own: a failure there
// shows when the stream is closed.
int32_t closeSrecord(HexoHandle* handle) {
  if (handle->error == 0 && flush(*handle)) {
    ++handle->line;
    const char* terminator = handle->state.srecWrite.terminatorRecord;
    writeAll(terminator, std::strlen(terminator), handle->file);
    writeAll(kLineEnd, kLineEndLength, handle->file);
  }
  return handle->error;
}

int32_t putSrecordBlock(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  return putLinesOfSixteen<putSrecord>(handle, handle->state.srecWrite, address, bytes, count);
}

}  // namespace

const FormatOps kSrecordWriter = {initWriter, failAccessModeGet, putSrecord, closeSrecord,
                                  lineField,  putSrecordBlock,   getOneByte};

}  // namespace hexo
