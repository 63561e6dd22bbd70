// Gathers runs of consecutive addresses from an image file opened for
// reading. A file holds bytes paired with addresses that may jump anywhere;
// the card is written and compared in runs, so a byte that does not follow
// its run is kept back to begin the next one.
#pragma once

#include <cstdint>

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
  uint8_t heldByte_ = 0;
  bool held_ = false;
};

}  // namespace tessel
