// Fuzz target of the text readers: the first input byte picks the file type,
// the rest is the file. Any input must end in data or a set error code, and
// reading it in blocks must deliver what reading it byte by byte delivers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "hexo_core.h"

namespace {

struct Cell {
  uint32_t address;
  uint8_t byte;
};

bool openInput(HexoHandle& handle, const uint8_t* data, size_t size, int32_t type) {
  FILE* stream = size > 1 ? fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "r") : std::tmpfile();
  if (stream == nullptr) return false;
  if (hexo::openStream(handle, stream, "fuzz", 'r', type) != 0) std::abort();
  return true;
}

// The same input read in blocks of changing sizes: same cells, same end.
void compareWithBlocks(const uint8_t* data, size_t size, int32_t type, const std::vector<Cell>& cells,
                       const HexoHandle& single) {
  HexoHandle handle{};
  if (!openInput(handle, data, size, type)) return;
  uint8_t block[40];
  size_t at = 0;
  for (uint32_t round = 0;; ++round) {
    const uint32_t count = 1 + (round * 7 + data[0]) % sizeof block;
    uint32_t address = 0;
    const int32_t got = hexo::getBlock(handle, &address, block, count);
    if (got < 0) break;
    if (got == 0 || static_cast<uint32_t>(got) > count) std::abort();
    for (int32_t i = 0; i < got; ++i, ++at)
      if (at >= cells.size() || cells[at].address != address + static_cast<uint32_t>(i) ||
          cells[at].byte != block[i])
        std::abort();
  }
  if (at != cells.size() || handle.eof != single.eof || handle.error != single.error ||
      handle.line != single.line)
    std::abort();
  hexo::close(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int32_t type = data[0] % 2 == 0 ? hexo::TYPE_INTEL_HEX : hexo::TYPE_S19 + (data[0] / 2) % 3;
  HexoHandle handle{};
  if (!openInput(handle, data, size, type)) return 0;
  uint32_t address;
  int32_t byte;
  std::vector<Cell> cells;
  while ((byte = hexo::getByte(handle, &address)) != -1) {
    if (byte < 0 || byte > 255) std::abort();
    cells.push_back({address, static_cast<uint8_t>(byte)});
    // Every delivered byte needs two digits of input.
    if (cells.size() * 2 > size) std::abort();
  }
  const int32_t error = hexo::error(handle);
  const bool cleanEnd = handle.eof != 0 && error == 0;
  const bool knownFailure = error == hexo::ERR_READ || error == hexo::ERR_UNEXPECTED_EOF ||
                            error == hexo::ERR_BAD_CHARACTER || error == hexo::ERR_CHECKSUM ||
                            error == hexo::ERR_BAD_RECORD_TYPE;
  if (!cleanEnd && !knownFailure) std::abort();
  if (hexo::lineNumber(handle) < 0 || static_cast<size_t>(hexo::lineNumber(handle)) > size) std::abort();
  compareWithBlocks(data, size, type, cells, handle);
  hexo::close(handle);
  return 0;
}
