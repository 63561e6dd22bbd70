// Command-line access to the image file core for the interoperability test:
//   hexo_convert write TYPE FILE   cells from stdin ("AAAAAAAA BB" per line) into FILE
//   hexo_convert read TYPE FILE    cells of FILE to stdout, same form
// Exit status 0 on a clean end, 1 with the error code on stderr otherwise.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hexo_core.h"

namespace {

int writeCells(const char* path, int32_t type) {
  HexoHandle handle{};
  if (hexo::open(handle, path, 'w', type) != 0) {
    std::fprintf(stderr, "open failed: error %d\n", hexo::error(handle));
    return 1;
  }
  unsigned long address;
  unsigned byte;
  while (std::scanf("%lx %x", &address, &byte) == 2) {
    if (hexo::putByte(handle, static_cast<uint32_t>(address), static_cast<int32_t>(byte)) == -1) break;
  }
  const int32_t error = hexo::error(handle);
  if (hexo::close(handle) != 0 || error != 0) {
    std::fprintf(stderr, "write failed: error %d\n", error);
    return 1;
  }
  return 0;
}

int readCells(const char* path, int32_t type) {
  HexoHandle handle{};
  if (hexo::open(handle, path, 'r', type) != 0) {
    std::fprintf(stderr, "open failed: error %d\n", hexo::error(handle));
    return 1;
  }
  uint32_t address;
  for (int32_t byte; (byte = hexo::getByte(handle, &address)) != -1;)
    std::printf("%08" PRIX32 " %02X\n", address, static_cast<unsigned>(byte));
  const int32_t error = hexo::error(handle);
  const bool clean = hexo::isEof(handle) && error == 0;
  hexo::close(handle);
  if (!clean) {
    std::fprintf(stderr, "read failed: error %d at line %d\n", error, handle.line);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hexo_convert write|read TYPE FILE\n");
    return 2;
  }
  const int32_t type = std::atoi(argv[2]);
  if (std::strcmp(argv[1], "write") == 0) return writeCells(argv[3], type);
  if (std::strcmp(argv[1], "read") == 0) return readCells(argv[3], type);
  return 2;
}
