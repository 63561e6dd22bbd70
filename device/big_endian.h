// Multi-byte fields of CDBs and device data are big-endian.
#pragma once

#include <cstdint>

namespace zrb2x {

inline void putBig16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
inline void putBig24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 16);
  putBig16(p + 1, v);
}
inline void putBig32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  putBig24(p + 1, v);
}
inline uint32_t getBig16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
inline uint32_t getBig24(const uint8_t* p) { return (uint32_t{p[0]} << 16) | getBig16(p + 1); }
inline uint32_t getBig32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | getBig24(p + 1); }
inline uint32_t getLittle16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }
inline uint32_t getLittle32(const uint8_t* p) { return getLittle16(p) | (getLittle16(p + 2) << 16); }
inline void putLittle16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putLittle32(uint8_t* p, uint32_t v) {
  putLittle16(p, v);
  putLittle16(p + 2, v >> 16);
}

}  // namespace zrb2x
