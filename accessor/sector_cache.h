// One 512-byte sector of an ATA card held between calls, so that byte-wise
// access (the card utility's 256-byte pages, single-byte edits) costs one
// sector read and one write-back instead of a read-modify-write per call.
#pragma once

#include <cstdint>

#include "device_operations.h"

namespace accessor {

// The 32 KB of 0xFF that erasing by writing sends, shared by the whole module.
constexpr uint32_t kFillSize = 32768;

// Where a transfer goes: the device operations and the reader-writer's index.
struct SectorDevice {
  zrb2x::DeviceOperations& ops;
  uint32_t device;
};

class SectorCache {
 public:
  // Addresses are byte addresses in common memory. Results are card service
  // result codes (read failures 9, write and write-back failures 18). A failed
  // write-back keeps the sector dirty, so no data is lost to a failure.
  int32_t read(SectorDevice target, uint32_t address, uint32_t length, uint8_t* destination);
  int32_t write(SectorDevice target, uint32_t address, uint32_t length, const uint8_t* source);
  int32_t erase(SectorDevice target, uint32_t address, uint32_t length, const uint8_t* fill);

  // Writes a dirty sector back and empties the cache.
  int32_t flush(SectorDevice target);

  // Forgets the sector without writing it (the card it came from is gone).
  void discard() { valid_ = dirty_ = false; }

  bool valid() const { return valid_; }
  bool dirty() const { return dirty_; }
  uint32_t sector() const { return sector_; }

 private:
  enum class Mode { Read, Write, Erase };
  int32_t transfer(Mode mode, SectorDevice target, uint32_t address, uint32_t length, uint8_t* destination,
                   const uint8_t* source);
  int32_t writeBack(SectorDevice target);

  bool valid_ = false;
  bool dirty_ = false;
  uint32_t sector_ = 0;
  uint8_t buffer_[zrb2x::kSectorSize]{};
};

}  // namespace accessor
