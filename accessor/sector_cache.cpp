#include "sector_cache.h"

#include <algorithm>
#include <cstring>

#include "card_service.h"

namespace accessor {

using cardservice::CS_OK;
using cardservice::CS_READ_ERROR;
using cardservice::CS_WRITE_ERROR;
using zrb2x::kSectorSize;

int32_t SectorCache::read(SectorDevice target, uint32_t address, uint32_t length, uint8_t* destination) {
  return transfer(Mode::Read, target, address, length, destination, nullptr);
}

int32_t SectorCache::write(SectorDevice target, uint32_t address, uint32_t length, const uint8_t* source) {
  return transfer(Mode::Write, target, address, length, nullptr, source);
}

int32_t SectorCache::erase(SectorDevice target, uint32_t address, uint32_t length, const uint8_t* fill) {
  return transfer(Mode::Erase, target, address, length, nullptr, fill);
}

int32_t SectorCache::writeBack(SectorDevice target) {
  if (target.ops.WriteSectors(target.device, sector_, 1, buffer_, kSectorSize) != 0) return CS_WRITE_ERROR;
  dirty_ = false;
  return CS_OK;
}

int32_t SectorCache::flush(SectorDevice target) {
  if (valid_ && dirty_) {
    if (int32_t result = writeBack(target); result != CS_OK) return result;
  }
  valid_ = dirty_ = false;
  return CS_OK;
}

int32_t SectorCache::transfer(Mode mode, SectorDevice target, uint32_t address, uint32_t length,
                              uint8_t* destination, const uint8_t* source) {
  while (length > 0) {
    const uint32_t sector = address / kSectorSize;
    const uint32_t position = address % kSectorSize;

    if (valid_ && sector_ == sector) {
      const uint32_t count = std::min(length, kSectorSize - position);
      switch (mode) {
        case Mode::Read:
          std::memcpy(destination, buffer_ + position, count);
          break;
        case Mode::Write:
          std::memcpy(buffer_ + position, source, count);
          break;
        case Mode::Erase:
          std::memset(buffer_ + position, 0xFF, count);
          break;
      }
      if (mode != Mode::Read) dirty_ = true;
      address += count;
      length -= count;
      if (destination) destination += count;
      if (mode == Mode::Write) source += count;
      continue;
    }

    if (valid_) {
      // Erasing writes the old sector back even when clean: it costs one
      // sector and keeps the card's state identical to what the cache showed.
      if (dirty_ || mode == Mode::Erase) {
        if (int32_t result = writeBack(target); result != CS_OK) return result;
      }
      valid_ = dirty_ = false;
      continue;
    }

    if (position != 0 || length < kSectorSize) {
      if (target.ops.ReadSectors(target.device, sector, 1, buffer_, kSectorSize) != 0) return CS_READ_ERROR;
      valid_ = true;
      dirty_ = false;
      sector_ = sector;
      continue;
    }

    // Whole sectors from a sector boundary bypass the cache.
    uint32_t sectors = length / kSectorSize;
    if (mode == Mode::Erase) sectors = std::min(sectors, kFillSize / kSectorSize);
    const uint32_t bytes = sectors * kSectorSize;
    switch (mode) {
      case Mode::Read:
        if (target.ops.ReadSectors(target.device, sector, sectors, destination, kSectorSize) != 0)
          return CS_READ_ERROR;
        destination += bytes;
        break;
      case Mode::Write:
        if (target.ops.WriteSectors(target.device, sector, sectors, source, kSectorSize) != 0)
          return CS_WRITE_ERROR;
        source += bytes;
        break;
      case Mode::Erase:
        if (target.ops.WriteSectors(target.device, sector, sectors, source, kSectorSize) != 0)
          return CS_WRITE_ERROR;
        break;
    }
    address += bytes;
    length -= bytes;
  }
  return CS_OK;
}

}  // namespace accessor
