// The byte-at-a-time interface the benchmark drives: the portable core in the
// host build, hexo32.dll under Wine.
#pragma once

#include <cstdint>
#include <string>

#include "hexo_handle.h"

struct ImageFileApi {
  std::string name;
  int32_t (*open)(HexoHandle* handle, const char* path, int32_t direction, int32_t type);
  int32_t (*getB)(HexoHandle* handle, uint32_t* address);
  int32_t (*putB)(HexoHandle* handle, uint32_t address, int32_t byte);
  int32_t (*close)(HexoHandle* handle);
  int32_t (*getError)(HexoHandle* handle);
};

// False (with a message on stderr) when the interface cannot be bound.
bool bindImageFileApi(ImageFileApi& api);
