// Gathers runs of consecutive addresses from an image file opened for
// reading. A file holds bytes paired with addresses that may jump anywhere;
// the card is written and compared in runs. The library hands over runs of
// its own, which may be cut short by the caller's count: one that does not
// follow the run being gathered is kept back to begin the next.
#pragma once

#include <cstdint>
#include <vector>

#include "hexo_handle.h"

struct ImageFileApi;

namespace tessel {

class ImageFileReader {
 public:
  ImageFileReader(const ImageFileApi& files, HexoHandle& handle) : files_(files), handle_(handle) {}

  // Fills `buffer` with up to `count` bytes of consecutive addresses and
  // returns the address of the first; `count` becomes the number delivered,
  // 0 once the file has no more data.
  uint32_t readRun(uint8_t* buffer, uint32_t& count);

  // True when the data ran out because the file ended as it should, not
  // because a record was broken or the stream failed: the library marks the
  // end as reached only for a complete file and keeps any error apart.
  bool endedCleanly() const;

 private:
  const ImageFileApi& files_;
  HexoHandle& handle_;
  uint32_t nextAddress_ = 0;
  // Bytes kept back: held_[heldStart_...] at heldAddress_ onwards.
  std::vector<uint8_t> held_;
  size_t heldStart_ = 0;
  uint32_t heldAddress_ = 0;
};

}  // namespace tessel
