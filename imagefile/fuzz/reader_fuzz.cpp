// Fuzz target of the text readers: the first input byte picks the file type,
// the rest is the file. Any input must end in data or a set error code.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "hexo_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int32_t type = data[0] % 2 == 0 ? hexo::TYPE_INTEL_HEX : hexo::TYPE_S19 + (data[0] / 2) % 3;
  FILE* stream = size > 1 ? fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "r") : std::tmpfile();
  if (stream == nullptr) return 0;
  HexoHandle handle{};
  if (hexo::openStream(handle, stream, "fuzz", 'r', type) != 0) std::abort();
  uint32_t address;
  int32_t byte;
  size_t delivered = 0;
  while ((byte = hexo::getByte(handle, &address)) != -1) {
    if (byte < 0 || byte > 255) std::abort();
    // Every delivered byte needs two digits of input.
    if (++delivered * 2 > size) std::abort();
  }
  const int32_t error = hexo::error(handle);
  const bool cleanEnd = handle.eof != 0 && error == 0;
  const bool knownFailure = error == hexo::ERR_READ || error == hexo::ERR_UNEXPECTED_EOF ||
                            error == hexo::ERR_BAD_CHARACTER || error == hexo::ERR_CHECKSUM ||
                            error == hexo::ERR_BAD_RECORD_TYPE;
  if (!cleanEnd && !knownFailure) std::abort();
  if (hexo::lineNumber(handle) < 0 || static_cast<size_t>(hexo::lineNumber(handle)) > size) std::abort();
  hexo::close(handle);
  return 0;
}
