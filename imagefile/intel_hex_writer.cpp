// Intel HEX writing: data records of at most 16 bytes that never run across a
// multiple of 16, extended address records whenever the high address bits
// change, and the end record at close.
#include <cstring>

#include "format_ops.h"
#include "hex_text.h"
#include "stream_io.h"

namespace hexo {

namespace {

constexpr uint8_t kSegmentRecord = 0x02;
constexpr uint8_t kLinearRecord = 0x04;
constexpr char kEndRecord[] = ":00000001FF";

// The bases the reader adds up for an address. Below 1 MiB only the segment
// base (type 02) is used, from 1 MiB on only the linear base (type 04), so
// one of the two is always zero: a reader that adds both bases and a reader
// that keeps only the last one written then find the same address.
struct Bases {
  uint32_t segment;
  uint32_t linear;
};

Bases basesFor(uint32_t address) {
  if (address < 0x100000) return {address & 0xF0000, 0};
  return {0, address & 0xFFFF0000};
}

constexpr size_t kRecordTextSize = 1 + 8 + 2 * kRecordDataSize + 2 + kLineEndLength;

// A data record's text: ":", count, address, type 00, data, checksum, line end.
char* appendDataRecord(char* out, uint16_t address, const uint8_t* data, uint32_t count) {
  const uint8_t high = static_cast<uint8_t>(address >> 8);
  const uint8_t low = static_cast<uint8_t>(address);
  uint8_t sum = static_cast<uint8_t>(count + high + low);
  *out++ = ':';
  out = appendByte(out, static_cast<uint8_t>(count));
  out = appendByte(out, high);
  out = appendByte(out, low);
  out = appendByte(out, 0x00);
  for (uint32_t i = 0; i < count; ++i) {
    out = appendByte(out, data[i]);
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  out = appendByte(out, static_cast<uint8_t>(-sum));
  return appendLineEnd(out);
}

bool flush(HexoHandle& handle) {
  HexoHexWriteState& state = handle.state.hexWrite;
  if (state.pendingCount == 0) return true;
  ++handle.line;
  char text[kRecordTextSize];
  const char* end =
      appendDataRecord(text, static_cast<uint16_t>(state.recordAddress), state.data, state.pendingCount);
  if (!writeAll(text, static_cast<size_t>(end - text), handle.file)) return fail(handle, ERR_WRITE), false;
  state.pendingCount = 0;
  return true;
}

bool writeExtendedRecord(HexoHandle& handle, uint8_t type, uint16_t value) {
  ++handle.line;
  char text[] = ":020000TTVVVVCC\0\0";
  const uint8_t checksum = static_cast<uint8_t>(0xFE - type - (value >> 8) - (value & 0xFF));
  char* out = appendByte(text + 7, type);
  out = appendHex(out, value, 4);
  out = appendLineEnd(appendByte(out, checksum));
  if (!writeAll(text, static_cast<size_t>(out - text), handle.file)) return fail(handle, ERR_WRITE), false;
  return true;
}

// Writes the extended records that move the reader from the bases of `from`
// to those of `to`. The record that clears its base goes first, so that the
// last record written carries the base that is in use.
bool changeBases(HexoHandle& handle, Bases from, Bases to) {
  const bool segmentChanges = from.segment != to.segment;
  const bool linearChanges = from.linear != to.linear;
  const auto segment = [&] {
    return !segmentChanges ||
           writeExtendedRecord(handle, kSegmentRecord, static_cast<uint16_t>(to.segment >> 4));
  };
  const auto linear = [&] {
    return !linearChanges ||
           writeExtendedRecord(handle, kLinearRecord, static_cast<uint16_t>(to.linear >> 16));
  };
  return to.linear != 0 ? segment() && linear() : linear() && segment();
}

void initWriter(HexoHandle& handle, FileType) {
  std::memset(&handle.state.hexWrite, 0, sizeof handle.state.hexWrite);
}

int32_t putHex(HexoHandle* handle, uint32_t address, int32_t byte) {
  if (handle->error != 0) return -1;
  HexoHexWriteState& state = handle->state.hexWrite;
  if (((address ^ state.recordAddress) & 0xFFFF0000) != 0) {
    const Bases from = basesFor(state.recordAddress);
    if (!flush(*handle)) return -1;
    state.recordAddress = (address & 0xFFFF0000) | (state.recordAddress & 0xFFFF);
    if (!changeBases(*handle, from, basesFor(address))) return -1;
  }
  if ((state.recordAddress & 0xFFFF) + state.pendingCount != (address & 0xFFFF)) {
    if (!flush(*handle)) return -1;
    state.recordAddress = address;
  }
  if (state.pendingCount >= kRecordDataSize || (state.recordAddress + state.pendingCount) % 16 == 0) {
    if (!flush(*handle)) return -1;
    state.recordAddress = address;
  }
  state.data[state.pendingCount++] = static_cast<uint8_t>(byte);
  return byte & 0xFF;
}

// The end record is written without a check of its own: a failure there
// shows when the stream is closed.
int32_t closeHex(HexoHandle* handle) {
  if (handle->error == 0 && flush(*handle)) {
    ++handle->line;
    writeAll(kEndRecord, sizeof kEndRecord - 1, handle->file);
    writeAll(kLineEnd, kLineEndLength, handle->file);
  }
  return handle->error;
}

// How many whole 16-byte lines of the block start at `at` and stay in its
// 64 KiB page (none unless `at` starts a line).
uint32_t linesInPage(uint32_t at, uint32_t available) {
  if (at % 16 != 0) return 0;
  const uint32_t toPageEnd = 0x10000 - (at & 0xFFFF);
  return (available < toPageEnd ? available : toPageEnd) / 16;
}

// Full records, one per line, formatted straight from the block and handed
// to the stream in batches.
bool writeLines(HexoHandle& handle, uint32_t at, const uint8_t* bytes, uint32_t lines) {
  constexpr uint32_t kBatch = 64;
  char text[kBatch * kRecordTextSize];
  while (lines > 0) {
    const uint32_t batch = lines < kBatch ? lines : kBatch;
    char* out = text;
    for (uint32_t i = 0; i < batch; ++i, at += 16, bytes += 16)
      out = appendDataRecord(out, static_cast<uint16_t>(at), bytes, 16);
    handle.line += static_cast<int32_t>(batch);
    if (!writeAll(text, static_cast<size_t>(out - text), handle.file)) return fail(handle, ERR_WRITE), false;
    lines -= batch;
  }
  return true;
}

// Whole lines in the page of the record before them are each a record of
// their own with no address record between, exactly as single puts would
// write them, so they are formatted straight from the block; the last stays
// pending, as single puts leave it. Everything else (the first line in a new
// page, partial lines) goes through putHex a line at a time.
int32_t putHexBlock(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  HexoHexWriteState& state = handle->state.hexWrite;
  uint32_t done = 0;
  while (done < count) {
    const uint32_t at = address + done;
    const uint32_t lines = linesInPage(at, count - done);
    if (lines >= 2 && handle->error == 0 && ((at ^ state.recordAddress) & 0xFFFF0000) == 0) {
      const uint32_t last = (lines - 1) * 16;
      if (!flush(*handle) || !writeLines(*handle, at, bytes + done, lines - 1)) return -1;
      state.recordAddress = at + last;
      std::memcpy(state.data, bytes + done + last, 16);
      state.pendingCount = 16;
      done += lines * 16;
      continue;
    }
    const uint32_t toLineEnd = 16 - (at & 15);
    const uint32_t n = count - done < toLineEnd ? count - done : toLineEnd;
    if (putLinesOfSixteen<putHex>(handle, state, at, bytes + done, n) != 0) return -1;
    done += n;
  }
  return 0;
}

}  // namespace

const FormatOps kIntelHexWriter = {initWriter, failAccessModeGet, putHex,    closeHex,
                                   lineField,  putHexBlock,       getOneByte};

}  // namespace hexo
