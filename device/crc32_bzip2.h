// CRC-32 with generator 0x04C11DB7, initial value all ones, bits taken most
// significant first, no reflection and the result complemented: the check
// the reader-writer applies to a downloaded firmware image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zrb2x {

uint32_t crc32Bzip2(const uint8_t* data, size_t length);

}  // namespace zrb2x
