// The exported interface of hexo32.dll. Every function is exported under its
// plain name and under its decorated stdcall name (HexoOpen and _HexoOpen@16).
#pragma once

#include <cstdint>

#include "hexo_handle.h"

#if defined(_WIN32)
#define HEXO_API __stdcall
#else
#define HEXO_API
#endif

extern "C" {
int32_t HEXO_API HexoOpen(HexoHandle* handle, const char* path, int32_t direction, int32_t type);
int32_t HEXO_API HexoGetB(HexoHandle* handle, uint32_t* address);
int32_t HEXO_API HexoPutB(HexoHandle* handle, uint32_t address, int32_t byte);
int32_t HEXO_API HexoIsEof(HexoHandle* handle);
int32_t HEXO_API HexoClose(HexoHandle* handle);
int32_t HEXO_API HexoGetError(HexoHandle* handle);
// Copies the Shift-JIS text of `code` (codes above 12 give the text of 12);
// the buffer must hold 40 bytes.
char* HEXO_API HexoStrError(char* buffer, uint32_t code);
int32_t HEXO_API HexoGetLen(HexoHandle* handle);
int32_t HEXO_API HexoGetLineNo(HexoHandle* handle);
char* HEXO_API HexoGetPath(HexoHandle* handle);
int32_t HEXO_API HexoGetPos(HexoHandle* handle);
int32_t HEXO_API HexoGetType(HexoHandle* handle);
uint32_t HEXO_API GetHexo32DllVersion();
// Puts count bytes at consecutive addresses from `address`, as that many
// HexoPutB calls would, stopping at the first that fails: 0 when every byte
// was put, else -1 (HexoGetError tells why). Exported last, so the ordinals
// of the calls above stay as they were.
int32_t HEXO_API HexoPutBlock(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count);
// Gets up to count bytes whose addresses follow one another, as that many
// HexoGetB calls would deliver them, and stores the first one's address:
// how many were delivered, or -1 where HexoGetB would have returned -1 for
// the first. It stops before a byte whose address does not follow the one
// before; that byte is the first the next get delivers. Exported after
// HexoPutBlock.
int32_t HEXO_API HexoGetBlock(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t count);
}
