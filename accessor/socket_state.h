// What the accessor remembers per socket between calls.
#pragma once

#include <cstdint>
#include <mutex>

#include "card_service.h"
#include "device_table.h"
#include "sector_cache.h"

namespace accessor {

// One reader-writer is one socket; a machine has at most this many.
constexpr uint32_t kMaxSockets = 64;

struct SocketState {
  cardservice::DeviceRecord selected{};   // the selected common-memory region
  cardservice::DeviceRecord attribute{};  // the attribute-memory region
  zrb2x::DeviceTable table{};             // as last read from the reader-writer
  uint32_t commonBase = 0;                // start of the selected region in common memory
  uint8_t lastStatus = 0;                 // card insertion shows as a new 0x80 against this
  SectorCache cache;                      // ATA regions: one sector held between calls

  // Calls on one socket run one at a time. The selected region, its base and
  // the cached sector are shared by every caller of the socket; two threads
  // interleaving a region selection with a transfer, or two partial-sector
  // writes, would otherwise send data to the wrong address or lose a write.
  // Calls on different sockets still run side by side.
  std::mutex callLock;
};

}  // namespace accessor
