// Host build: the benchmark calls the portable core directly (HEXO_API is
// empty here, so plain lambdas fit the table).
#include "hexo_core.h"
#include "image_file_api.h"

bool bindImageFileApi(ImageFileApi& api) {
  api.name = "core";
  api.open = [](HexoHandle* h, const char* path, int32_t direction, int32_t type) {
    return hexo::open(*h, path, direction, type);
  };
  api.getB = [](HexoHandle* h, uint32_t* address) { return hexo::getByte(*h, address); };
  api.putB = [](HexoHandle* h, uint32_t address, int32_t byte) { return hexo::putByte(*h, address, byte); };
  api.close = [](HexoHandle* h) { return hexo::close(*h); };
  api.getError = [](HexoHandle* h) { return hexo::error(*h); };
  return true;
}
