#include "card_status.h"

#include "big_endian.h"
#include "commands.h"
#include "device_entry.h"
#include "device_result.h"

namespace zrb2x {

uint32_t readCardStatus(DeviceEntry& entry, uint32_t* status) {
  if (!status) return result::kInvalidField;
  uint8_t data[cmd::kStatusLength] = {};
  const uint32_t r = cmd::cardStatus(*entry.link, data);
  if (r == result::kAborted) {
    *status = entry.lastStatus;
    return result::kOk;
  }
  if (!isValidStatusResult(r)) return r;
  // No card and a card change still describe the slot: a status poll
  // succeeds with them, whatever sense the reader-writer attached.
  entry.lastStatus = getLittle32(data);
  *status = entry.lastStatus;
  return result::kOk;
}

}  // namespace zrb2x
