#include "image_file_reader.h"

#include "image_file_api.h"

namespace tessel {

uint32_t ImageFileReader::readRun(uint8_t* buffer, uint32_t& count) {
  const uint32_t wanted = count;
  uint32_t delivered = 0;
  uint32_t runAddress = 0;
  if (held_ && wanted > 0) {
    held_ = false;
    buffer[delivered++] = heldByte_;
    runAddress = nextAddress_;
    nextAddress_ = runAddress + 1;
  }
  while (delivered < wanted) {
    uint32_t address = 0;
    const int32_t byte = files_.getB(&handle_, &address);
    if (byte < 0) break;
    if (delivered == 0) {
      runAddress = address;
    } else if (address != nextAddress_) {
      heldByte_ = static_cast<uint8_t>(byte);
      nextAddress_ = address;
      held_ = true;
      break;
    }
    buffer[delivered++] = static_cast<uint8_t>(byte);
    nextAddress_ = address + 1;
  }
  count = delivered;
  return runAddress;
}

bool ImageFileReader::endedCleanly() const {
  return files_.isEof(&handle_) != 0 && files_.getError(&handle_) == 0;
}

}  // namespace tessel
