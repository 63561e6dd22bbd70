// Plain binary images: a byte's address is its position in the file.
#include <cstring>

#include "format_ops.h"
#include "stream_io.h"

namespace hexo {

namespace {

void initReader(HexoHandle& handle, FileType) { handle.state.binaryRead.nextAddress = 0; }

int32_t getBinary(HexoHandle* handle, uint32_t* address) {
  if (handle->eof != 0 || handle->error != 0) return -1;
  const int c = readChar(handle->file);
  if (c == EOF) {
    if (std::ferror(handle->file)) return fail(*handle, ERR_READ);
    handle->eof = EOF_REACHED;
    return -1;
  }
  *address = handle->state.binaryRead.nextAddress++;
  return c;
}

// What is left of the stream's buffer is copied first, the rest read in one
// call. A short block is the end of the file or a failed read; the single
// get after it finds out which, as it would after single gets.
int32_t getBinaryBlock(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count) {
  if (handle->eof != 0 || handle->error != 0) return -1;
  FILE* stream = handle->file;
  const ReadWindow window = readWindow(stream);
  size_t got = static_cast<size_t>(window.end - window.begin);
  if (got > count) got = count;
  if (got > 0) {
    std::memcpy(bytes, window.begin, got);
    consume(stream, got);
  }
  if (got < count) got += std::fread(bytes + got, 1, count - got, stream);
  if (got == 0) return getBinary(handle, address);
  *address = handle->state.binaryRead.nextAddress;
  handle->state.binaryRead.nextAddress += static_cast<uint32_t>(got);
  return static_cast<int32_t>(got);
}

void initWriter(HexoHandle& handle, FileType) {
  handle.state.binaryWrite.firstByte = 1;
  handle.state.binaryWrite.nextAddress = 0;
}

// Gaps between addresses are filled with 0xFF, the erased state of the
// memories the images come from.
bool fillGap(FILE* stream, uint32_t count) {
  char block[4096];
  std::memset(block, 0xFF, sizeof block);
  while (count > 0) {
    const uint32_t chunk = count < sizeof block ? count : static_cast<uint32_t>(sizeof block);
    if (!writeAll(block, chunk, stream)) return false;
    count -= chunk;
  }
  return true;
}

// Deliberately does not look at the error field first: one refused address
// does not stop later, higher addresses from being written.
int32_t putBinary(HexoHandle* handle, uint32_t address, int32_t byte) {
  HexoBinaryWriteState& state = handle->state.binaryWrite;
  if (state.firstByte != 0) {
    state.firstByte = 0;
    state.nextAddress = address;
  } else if (address < state.nextAddress) {
    return fail(*handle, ERR_ADDRESS_OVERLAP);
  }
  bool written = address == state.nextAddress || fillGap(handle->file, address - state.nextAddress);
  written = written && writeChar(static_cast<unsigned char>(byte), handle->file) != EOF;
  state.nextAddress = address + 1;
  if (!written) return fail(*handle, ERR_WRITE);
  return byte;
}

// The first byte settles what a single put would (the first address, a gap,
// an overlap); the rest follow it directly, so they go to the stream at once.
int32_t putBinaryBlock(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  if (putBinary(handle, address, bytes[0]) < 0) return -1;
  if (count == 1) return 0;
  handle->state.binaryWrite.nextAddress = address + count;
  if (!writeAll(reinterpret_cast<const char*>(bytes + 1), count - 1, handle->file))
    return fail(*handle, ERR_WRITE);
  return 0;
}

}  // namespace

const FormatOps kBinaryReader = {initReader,     getBinary,   failAccessModePut, closeNothing,
                                 streamPosition, putEachByte, getBinaryBlock};
const FormatOps kBinaryWriter = {initWriter,     failAccessModeGet, putBinary, closeNothing,
                                 streamPosition, putBinaryBlock,    getOneByte};

}  // namespace hexo
