#include "image_file_reader.h"

#include <cstring>

#include "image_file_api.h"

namespace tessel {

uint32_t ImageFileReader::readRun(uint8_t* buffer, uint32_t& count) {
  const uint32_t wanted = count;
  uint32_t delivered = 0;
  uint32_t runAddress = 0;
  const size_t heldCount = held_.size() - heldStart_;
  if (heldCount > 0 && wanted > 0) {
    delivered = static_cast<uint32_t>(heldCount < wanted ? heldCount : wanted);
    std::memcpy(buffer, held_.data() + heldStart_, delivered);
    heldStart_ += delivered;
    runAddress = heldAddress_;
    heldAddress_ += delivered;
    nextAddress_ = runAddress + delivered;
  }
  while (delivered < wanted) {
    uint32_t address = 0;
    const int32_t got = files_.getBlock(&handle_, &address, buffer + delivered, wanted - delivered);
    if (got <= 0) break;
    if (delivered == 0) {
      runAddress = address;
    } else if (address != nextAddress_) {
      held_.assign(buffer + delivered, buffer + delivered + got);
      heldStart_ = 0;
      heldAddress_ = address;
      break;
    }
    delivered += static_cast<uint32_t>(got);
    nextAddress_ = address + static_cast<uint32_t>(got);
  }
  count = delivered;
  return runAddress;
}

bool ImageFileReader::endedCleanly() const {
  return files_.isEof(&handle_) != 0 && files_.getError(&handle_) == 0;
}

}  // namespace tessel
