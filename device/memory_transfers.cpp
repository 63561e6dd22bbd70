#include "memory_transfers.h"

#include <algorithm>

#include "commands.h"
#include "device_result.h"

namespace zrb2x {
namespace {

uint32_t wholeWordPiece(uint32_t remaining) { return std::min(remaining & ~1u, kMaxBytesPerCommand); }

}  // namespace

uint32_t readCommonMemory(DeviceLink& link, uint32_t address, uint32_t count, void* destination) {
  if (!destination) return result::kInvalidField;
  auto* out = static_cast<uint8_t*>(destination);
  if (count && (address & 1)) {  // the odd byte is the high half of the word before it
    uint8_t word[2];
    if (uint32_t r = cmd::readCommon(link, address - 1, 2, word)) return r;
    *out++ = word[1];
    ++address;
    --count;
  }
  while (count >= 2) {
    const uint32_t piece = wholeWordPiece(count);
    if (uint32_t r = cmd::readCommon(link, address, piece, out)) return r;
    out += piece;
    address += piece;
    count -= piece;
  }
  if (count) {
    uint8_t word[2];
    if (uint32_t r = cmd::readCommon(link, address, 2, word)) return r;
    *out = word[0];
  }
  return result::kOk;
}

uint32_t writeCommonMemory(DeviceLink& link, uint32_t address, uint32_t count, const void* source) {
  if (!source) return result::kInvalidField;
  const auto* in = static_cast<const uint8_t*>(source);
  if (count && (address & 1)) {  // keep the other half of the word
    uint8_t word[2];
    if (uint32_t r = cmd::readCommon(link, address - 1, 2, word)) return r;
    word[1] = *in++;
    if (uint32_t r = cmd::writeCommon(link, address - 1, 2, word)) return r;
    ++address;
    --count;
  }
  while (count >= 2) {
    const uint32_t piece = wholeWordPiece(count);
    if (uint32_t r = cmd::writeCommon(link, address, piece, in)) return r;
    in += piece;
    address += piece;
    count -= piece;
  }
  if (count) {
    uint8_t word[2];
    if (uint32_t r = cmd::readCommon(link, address, 2, word)) return r;
    word[0] = *in;
    if (uint32_t r = cmd::writeCommon(link, address, 2, word)) return r;
  }
  return result::kOk;
}

uint32_t readAttributeMemory(DeviceLink& link, uint32_t address, uint32_t count, void* destination) {
  if (!destination) return result::kInvalidField;
  auto* out = static_cast<uint8_t*>(destination);
  if (count && (address & 1)) {  // odd addresses hold no data
    *out++ = 0xFF;
    ++address;
    --count;
  }
  while (count >= 2) {
    const uint32_t piece = wholeWordPiece(count);
    if (uint32_t r = cmd::readAttribute(link, address, piece, out)) return r;
    for (uint32_t i = 1; i < piece; i += 2) out[i] = 0xFF;
    out += piece;
    address += piece;
    count -= piece;
  }
  if (count) {
    uint8_t word[2];
    if (uint32_t r = cmd::readAttribute(link, address, 2, word)) return r;
    *out = word[0];
  }
  return result::kOk;
}

uint32_t writeAttributeMemory(DeviceLink& link, uint32_t address, uint32_t count, const void* source) {
  if (!source) return result::kInvalidField;
  const auto* in = static_cast<const uint8_t*>(source);
  if (count && (address & 1)) {  // nothing to store at an odd address
    ++in;
    ++address;
    --count;
  }
  while (count >= 2) {
    const uint32_t piece = wholeWordPiece(count);
    if (uint32_t r = cmd::writeAttribute(link, address, piece, in)) return r;
    in += piece;
    address += piece;
    count -= piece;
  }
  if (count) {
    const uint8_t word[2] = {*in, 0xFF};
    if (uint32_t r = cmd::writeAttribute(link, address, 2, word)) return r;
  }
  return result::kOk;
}

uint32_t readSectorRange(DeviceLink& link, uint32_t first, uint32_t count, void* destination,
                         uint32_t sectorSize) {
  if (!destination || sectorSize != 512) return result::kInvalidField;
  auto* out = static_cast<uint8_t*>(destination);
  while (count) {
    const uint32_t piece = std::min(count, kMaxSectorsPerCommand);
    if (uint32_t r = cmd::readSectors(link, first, static_cast<uint16_t>(piece), out)) return r;
    out += piece * 512;
    first += piece;
    count -= piece;
  }
  return result::kOk;
}

uint32_t writeSectorRange(DeviceLink& link, uint32_t first, uint32_t count, const void* source,
                          uint32_t sectorSize) {
  if (!source || sectorSize != 512) return result::kInvalidField;
  const auto* in = static_cast<const uint8_t*>(source);
  while (count) {
    const uint32_t piece = std::min(count, kMaxSectorsPerCommand);
    if (uint32_t r = cmd::writeSectors(link, first, static_cast<uint16_t>(piece), in)) return r;
    in += piece * 512;
    first += piece;
    count -= piece;
  }
  return result::kOk;
}

}  // namespace zrb2x
