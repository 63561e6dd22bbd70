// Memory image files as a program of the suite calls them: one table shaped
// like hexo32.dll's exports. In the host build it leads into the portable
// core; in the Windows build it holds the DLL's exports, bound at load time
// through the import library (hexo32_import), as the card utility binds
// them. Portable code above it is tested natively and runs unchanged on the
// DLL.
#pragma once

#include <cstdint>

#include "hexo32.h"  // HEXO_API, the exports' calling convention
#include "hexo_handle.h"

// File names are UTF-8 on both builds: the Windows one spells them in the
// system's ANSI code page for hexo32.dll.
struct ImageFileApi {
  const char* name;  // "core" or "hexo32.dll"
  int32_t(HEXO_API* open)(HexoHandle* handle, const char* path, int32_t direction, int32_t type);
  int32_t(HEXO_API* getB)(HexoHandle* handle, uint32_t* address);
  int32_t(HEXO_API* putB)(HexoHandle* handle, uint32_t address, int32_t byte);
  int32_t(HEXO_API* isEof)(HexoHandle* handle);
  int32_t(HEXO_API* close)(HexoHandle* handle);
  int32_t(HEXO_API* getError)(HexoHandle* handle);
  int32_t(HEXO_API* getLen)(HexoHandle* handle);
  int32_t(HEXO_API* getLineNo)(HexoHandle* handle);
  char*(HEXO_API* getPath)(HexoHandle* handle);
  int32_t(HEXO_API* getPos)(HexoHandle* handle);
  int32_t(HEXO_API* getType)(HexoHandle* handle);
  int32_t(HEXO_API* putBlock)(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count);
  int32_t(HEXO_API* getBlock)(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count);
};

// The interface of this build.
const ImageFileApi& imageFileApi();
