// Host build: the portable core behind the table (HEXO_API is empty here, so
// plain lambdas fit it).
#include "hexo_core.h"
#include "image_file_api.h"

const ImageFileApi& imageFileApi() {
  static const ImageFileApi api{
      "core",
      [](HexoHandle* h, const char* path, int32_t direction, int32_t type) {
        return hexo::open(*h, path, direction, type);
      },
      [](HexoHandle* h, uint32_t* address) { return hexo::getByte(*h, address); },
      [](HexoHandle* h, uint32_t address, int32_t byte) { return hexo::putByte(*h, address, byte); },
      [](HexoHandle* h) { return hexo::isEof(*h); },
      [](HexoHandle* h) { return hexo::close(*h); },
      [](HexoHandle* h) { return hexo::error(*h); },
      [](HexoHandle* h) { return hexo::length(*h); },
      [](HexoHandle* h) { return hexo::lineNumber(*h); },
      [](HexoHandle* h) { return const_cast<char*>(hexo::path(*h)); },
      [](HexoHandle* h) { return hexo::position(*h); },
      [](HexoHandle* h) { return hexo::type(*h); },
      [](HexoHandle* h, uint32_t address, const uint8_t* bytes, uint32_t count) {
        return hexo::putBlock(*h, address, bytes, count);
      },
      [](HexoHandle* h, uint32_t* address, uint8_t* bytes, uint32_t count) {
        return hexo::getBlock(*h, address, bytes, count);
      },
  };
  return api;
}
