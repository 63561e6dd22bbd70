// The byte-at-a-time interface the benchmark drives: the portable core in the
// host build, hexo32.dll under Wine.
#pragma once

#include <cstdint>
#include <string>

#include "hexo32.h"  // HEXO_API, the exports' calling convention
#include "hexo_handle.h"

// Shaped like the DLL's exports, so that under Wine the benchmark calls them
// directly, as the card utility does.
struct ImageFileApi {
  std::string name;
  int32_t(HEXO_API* open)(HexoHandle* handle, const char* path, int32_t direction, int32_t type);
  int32_t(HEXO_API* getB)(HexoHandle* handle, uint32_t* address);
  int32_t(HEXO_API* putB)(HexoHandle* handle, uint32_t address, int32_t byte);
  int32_t(HEXO_API* close)(HexoHandle* handle);
  int32_t(HEXO_API* getError)(HexoHandle* handle);
};

// False (with a message on stderr) when the interface cannot be bound.
bool bindImageFileApi(ImageFileApi& api);
