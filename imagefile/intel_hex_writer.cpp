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
constexpr char kEndRecord[] = ":00000001FF\n";

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

bool flush(HexoHandle& handle) {
  HexoHexWriteState& state = handle.state.hexWrite;
  if (state.pendingCount == 0) return true;
  ++handle.line;
  char text[1 + 8 + 2 * kRecordDataSize + 2 + 1];
  const uint8_t count = static_cast<uint8_t>(state.pendingCount);
  const uint8_t high = static_cast<uint8_t>(state.recordAddress >> 8);
  const uint8_t low = static_cast<uint8_t>(state.recordAddress);
  uint8_t sum = static_cast<uint8_t>(count + high + low);
  char* out = text;
  *out++ = ':';
  out = appendByte(out, count);
  out = appendByte(out, high);
  out = appendByte(out, low);
  out = appendByte(out, 0x00);
  for (uint32_t i = 0; i < state.pendingCount; ++i) {
    out = appendByte(out, state.data[i]);
    sum = static_cast<uint8_t>(sum + state.data[i]);
  }
  out = appendByte(out, static_cast<uint8_t>(-sum));
  *out++ = '\n';
  if (!writeAll(text, static_cast<size_t>(out - text), handle.file)) return fail(handle, ERR_WRITE), false;
  state.pendingCount = 0;
  return true;
}

bool writeExtendedRecord(HexoHandle& handle, uint8_t type, uint16_t value) {
  ++handle.line;
  char text[] = ":020000TTVVVVCC\n";
  const uint8_t checksum = static_cast<uint8_t>(0xFE - type - (value >> 8) - (value & 0xFF));
  char* out = appendByte(text + 7, type);
  out = appendHex(out, value, 4);
  appendByte(out, checksum);
  if (!writeAll(text, sizeof text - 1, handle.file)) return fail(handle, ERR_WRITE), false;
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
  }
  return handle->error;
}

}  // namespace

const FormatOps kIntelHexWriter = {initWriter, failAccessModeGet, putHex, closeHex, lineField};

}  // namespace hexo
