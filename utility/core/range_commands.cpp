#include "range_commands.h"

#include "card_presence.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "card_messages.h"
#include "card_service.h"
#include "command_support.h"
#include "device_tables.h"
#include "result_codes.h"
#include "socket_records.h"
#include "texts.h"

namespace tessel {
namespace {

using cardservice::SlotRequest;

constexpr uint16_t kTypeSram = 0;
constexpr uint16_t kTypeEeprom = 1;
constexpr uint32_t kEepromEraseBlock = 512;

SlotRequest windowRequest(const CommandContext& context, uint32_t offset) {
  return SlotRequest{context.area.socket, context.area.space, offset};
}

// One block of a range walked in the context's blocks, from the bottom up or, for
// copies onto an overlapping range above the source, from the top down so
// that no block reads bytes an earlier block has already overwritten.
struct Block {
  uint32_t offset;  // from the start of the range
  uint32_t size;
};

class BlockWalk {
 public:
  BlockWalk(uint32_t length, uint32_t block, bool downwards)
      : length_(length), remaining_(length), block_(block), downwards_(downwards) {}
  bool done() const { return remaining_ == 0; }
  Block next() {
    const uint32_t size = std::min(remaining_, block_);
    const uint32_t offset = downwards_ ? remaining_ - size : length_ - remaining_;
    remaining_ -= size;
    return {offset, size};
  }

 private:
  uint32_t length_;
  uint32_t remaining_;
  uint32_t block_;
  bool downwards_;
};

bool rangesOverlap(uint32_t a, uint32_t b, uint32_t length) {
  const uint64_t low = std::min(a, b), high = std::max(a, b);
  return length != 0 && high < low + length;
}

std::string formatted(uint16_t id, unsigned a) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, std::string(text(id)).c_str(), a);
  return buffer;
}

// Selects a socket's common-memory region and keeps the socket table's
// record of it, which card windows compare with their own region.
uint16_t selectRegion(CardAccess& access, uint8_t socket, uint8_t region, uint8_t remembered) {
  const uint16_t result = access.cardSelectRegion(socket, region);
  if (result == R_SUCCESS && socket < kShownSockets) access.sockets().selectedRegion[socket] = remembered;
  return result;
}

// What card-to-card copy and compare share: the two sides, the region
// switching when both lie on one socket, and the order of the blocks.
class CardPair {
 public:
  CardPair(CommandContext& context, const CardDestination& destination)
      : context_(context),
        destination_(destination),
        sameSocket_(destination.socket == context.area.socket) {}

  bool sameSocket() const { return sameSocket_; }
  // Both sides in one area: a copy must then respect the overlap.
  bool sameArea() const {
    if (!sameSocket_ || destination_.space != context_.area.space) return false;
    return destination_.space != 0 || (destination_.region & 3) == (context_.area.area & 3);
  }
  uint16_t selectDestination() {
    return selectRegion(context_.access, destination_.socket, destination_.region & 3,
                        destination_.region & 3);
  }
  uint16_t selectWindowSide() {
    return selectRegion(context_.access, context_.area.socket, context_.area.area & 3, context_.area.area);
  }
  uint16_t beforeSource() { return sameSocket_ ? selectWindowSide() : uint16_t{R_SUCCESS}; }
  uint16_t beforeDestination() { return sameSocket_ ? selectDestination() : uint16_t{R_SUCCESS}; }
  uint16_t cardsStillThere() {
    uint16_t result = cardStillThere(context_.access, context_.area.socket);
    if (result == R_SUCCESS && !sameSocket_) result = cardStillThere(context_.access, destination_.socket);
    return result;
  }
  SlotRequest destinationRequest(uint32_t offset) const {
    return SlotRequest{destination_.socket, destination_.space, destination_.start + offset};
  }

 private:
  CommandContext& context_;
  const CardDestination& destination_;
  bool sameSocket_;
};

}  // namespace

uint32_t eraseBlockFor(const CommandArea& area) {
  switch (area.deviceType) {
    case kTypeSram:
    case kTypeAta:
      return kCommandBlock;
    case kTypeEeprom:
      return kEepromEraseBlock;
    default:
      return area.eraseUnit;
  }
}

uint16_t eraseRange(CommandContext& context, uint32_t start, uint32_t length) {
  const uint32_t unit = eraseBlockFor(context.area);
  // An area without an erase block (a record not read yet) cannot be
  // divided into blocks; erasing it some other way would guess.
  if (unit == 0) return R_PARAMETER;
  const uint32_t blocks = length / unit;
  const uint32_t rest = length % unit;
  ProgressRun progress(context.progress, sid::kCaptionCardErase, blocks);
  uint32_t address = start;
  for (uint32_t block = 0; block < blocks; ++block) {
    if (uint16_t result = cardStillThere(context.access, context.area.socket)) return result;
    progress.at(address);
    if (uint16_t result = removalAware(context.access, context.area.socket,
                                       context.access.cardErase(windowRequest(context, address), unit)))
      return result;
    address += unit;
    if (!progress.step()) return R_STOPPED;
  }
  if (rest == 0) return R_SUCCESS;
  if (uint16_t result = cardStillThere(context.access, context.area.socket)) return result;
  progress.at(address);
  return removalAware(context.access, context.area.socket,
                      context.access.cardErase(windowRequest(context, address), rest));
}

uint16_t eraseCheckRange(CommandContext& context, uint32_t start, uint32_t length) {
  ProgressRun progress(context.progress, sid::kCaptionChecking, length / context.block);
  std::vector<uint8_t> buffer(context.block);
  for (BlockWalk walk(length, context.block, false); !walk.done();) {
    const Block block = walk.next();
    const uint32_t address = start + block.offset;
    if (uint16_t result = cardStillThere(context.access, context.area.socket)) return result;
    progress.at(address);
    if (uint16_t result =
            removalAware(context.access, context.area.socket,
                         context.access.cardRead(windowRequest(context, address), buffer.data(), block.size)))
      return result;
    const auto end = buffer.begin() + block.size;
    const auto found = std::find_if(buffer.begin(), end, [](uint8_t byte) { return byte != 0xFF; });
    if (found != end) {
      progress.finish();
      context.messages.showOk(
          formatted(sid::kEraseNg, address + static_cast<uint32_t>(found - buffer.begin())));
      return R_SUCCESS;
    }
    if (!progress.step()) return R_STOPPED;
  }
  return R_SUCCESS;
}

uint16_t fillRange(CommandContext& context, uint32_t start, uint32_t end, std::span<const uint8_t> pattern) {
  if (pattern.empty() || pattern.size() > 16 || end < start) return R_PARAMETER;
  const uint32_t length = end - start + 1;
  const uint32_t patternLength = static_cast<uint32_t>(pattern.size());
  // One block plus one pattern length, so that a block can begin at any
  // phase of the pattern and the pattern runs on across blocks.
  std::vector<uint8_t> buffer(context.block + patternLength);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = pattern[i % patternLength];
  const uint32_t phaseStep = context.block % patternLength;
  uint32_t phase = 0;

  ProgressRun progress(context.progress, sid::kCaptionFill, length / context.block);
  uint16_t result = R_SUCCESS;
  for (BlockWalk walk(length, context.block, false); !walk.done();) {
    const Block block = walk.next();
    const uint32_t address = start + block.offset;
    if ((result = cardStillThere(context.access, context.area.socket))) break;
    progress.at(address);
    if ((result = removalAware(
             context.access, context.area.socket,
             context.access.cardWrite(windowRequest(context, address), buffer.data() + phase, block.size))))
      break;
    phase += phaseStep;
    if (phase >= patternLength) phase -= patternLength;
    if (!progress.step()) {
      result = R_STOPPED;
      break;
    }
  }
  if (context.area.deviceType != kTypeAta) return result;
  return flushAfterWriting(context.access, context.area.socket, result);
}

uint16_t moveRange(CommandContext& context, uint32_t start, uint32_t length, uint32_t destination) {
  ProgressRun progress(context.progress, sid::kCaptionTransferring, length / context.block);
  std::vector<uint8_t> buffer(context.block);
  uint16_t result = R_SUCCESS;
  for (BlockWalk walk(length, context.block, destination >= start); !walk.done();) {
    const Block block = walk.next();
    if ((result = cardStillThere(context.access, context.area.socket))) break;
    progress.at(start + block.offset);
    if ((result = removalAware(context.access, context.area.socket,
                               context.access.cardRead(windowRequest(context, start + block.offset),
                                                       buffer.data(), block.size))))
      break;
    if ((result = removalAware(context.access, context.area.socket,
                               context.access.cardWrite(windowRequest(context, destination + block.offset),
                                                        buffer.data(), block.size))))
      break;
    if (!progress.step()) {
      result = R_STOPPED;
      break;
    }
  }
  if (context.area.deviceType != kTypeAta) return result;
  return flushAfterWriting(context.access, context.area.socket, result);
}

uint16_t cardToCard(CommandContext& context, uint32_t start, uint32_t length,
                    const CardDestination& destination) {
  CardPair pair(context, destination);
  // Copying onto an overlapping range above the source within one area runs
  // from the top down, as a move does, so that no block is read after it
  // has been overwritten.
  const bool downwards =
      pair.sameArea() && destination.start > start && rangesOverlap(start, destination.start, length);
  ProgressRun progress(context.progress, sid::kCaptionCardToCard, length / context.block);
  std::vector<uint8_t> buffer(context.block);
  uint16_t result = pair.selectDestination();
  for (BlockWalk walk(length, context.block, downwards); result == R_SUCCESS && !walk.done();) {
    const Block block = walk.next();
    if ((result = pair.cardsStillThere())) break;
    progress.at(start + block.offset);
    if ((result = pair.beforeSource())) break;
    if ((result = removalAware(context.access, context.area.socket,
                               context.access.cardRead(windowRequest(context, start + block.offset),
                                                       buffer.data(), block.size))))
      break;
    if ((result = pair.beforeDestination())) break;
    if ((result = removalAware(
             context.access, destination.socket,
             context.access.cardWrite(pair.destinationRequest(block.offset), buffer.data(), block.size))))
      break;
    if (!progress.step()) result = R_STOPPED;
  }
  // The destination's type is not at hand: every card answers a flush.
  result = flushAfterWriting(context.access, destination.socket, result);
  // The window goes on showing its own region.
  if (pair.sameSocket() && result != R_CARD_REMOVED) pair.selectWindowSide();
  return result;
}

uint16_t compareCards(CommandContext& context, uint32_t start, uint32_t length,
                      const CardDestination& destination) {
  CardPair pair(context, destination);
  ProgressRun progress(context.progress, sid::kCaptionCardToCard, length / context.block);
  std::vector<uint8_t> source(context.block), other(context.block);
  bool differed = false, declined = false;
  uint16_t result = pair.selectDestination();
  for (BlockWalk walk(length, context.block, false); result == R_SUCCESS && !declined && !walk.done();) {
    const Block block = walk.next();
    const uint32_t address = start + block.offset;
    if ((result = pair.cardsStillThere())) break;
    progress.at(address);
    if ((result = pair.beforeSource())) break;
    if ((result = removalAware(
             context.access, context.area.socket,
             context.access.cardRead(windowRequest(context, address), source.data(), block.size))))
      break;
    if ((result = pair.beforeDestination())) break;
    if ((result = removalAware(
             context.access, destination.socket,
             context.access.cardRead(pair.destinationRequest(block.offset), other.data(), block.size))))
      break;
    for (uint32_t i = 0; i < block.size && !declined; ++i) {
      if (source[i] == other[i]) continue;
      differed = true;
      char line[96];
      std::snprintf(line, sizeof line, std::string(text(sid::kCardDifference)).c_str(),
                    static_cast<unsigned>(address + i), static_cast<unsigned>(context.area.socket + 1),
                    static_cast<unsigned>(source[i]), static_cast<unsigned>(destination.socket + 1),
                    static_cast<unsigned>(other[i]));
      declined = !askToGoOn(context.messages, line);
    }
    if (!declined && !progress.step()) result = R_STOPPED;
  }
  if (pair.sameSocket() && result != R_CARD_REMOVED) pair.selectWindowSide();
  // "No differences" only for a comparison that ran to its end and found
  // none: not after a stop or a failure, nor after differences the user
  // chose to step over.
  progress.finish();
  if (result == R_SUCCESS && !declined && !differed) context.messages.showOk(text(sid::kNoDifference));
  return result;
}

}  // namespace tessel
