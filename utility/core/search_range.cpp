#include "search_range.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <vector>

#include "card_presence.h"
#include "command_support.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

using cardservice::SlotRequest;

constexpr size_t kNone = SIZE_MAX;

// Each scanner looks at the windows [a, a + k) of `size` bytes (size >= k)
// and returns the index a of the first one it meets in its direction.
using Scanner = size_t (*)(const uint8_t* data, size_t size, std::span<const uint8_t> pattern);

// Matches by Boyer-Moore-Horspool: it skips ahead by up to k bytes where a
// byte cannot end a match, and it stays fast where nearly every byte is a
// candidate, as on an erased card searched for a run of 0xFF.
size_t forwardMatch(const uint8_t* data, size_t size, std::span<const uint8_t> pattern) {
  const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
  const uint8_t* const at = std::search(data, data + size, searcher);
  return at == data + size ? kNone : static_cast<size_t>(at - data);
}

// The same over the block read from its end, with the pattern reversed: the
// first hit is the highest window.
size_t backwardMatch(const uint8_t* data, size_t size, std::span<const uint8_t> pattern) {
  using Reverse = std::reverse_iterator<const uint8_t*>;
  const std::boyer_moore_horspool_searcher searcher(pattern.rbegin(), pattern.rend());
  const Reverse from(data + size), to(data);
  const Reverse at = std::search(from, to, searcher);
  if (at == to) return kNone;
  const size_t lastByte = static_cast<size_t>(at.base() - 1 - data);
  return lastByte + 1 - pattern.size();
}

bool differsEverywhere(const uint8_t* window, std::span<const uint8_t> pattern) {
  for (size_t j = 0; j < pattern.size(); ++j)
    if (window[j] == pattern[j]) return false;
  return true;
}

size_t forwardMismatch(const uint8_t* data, size_t size, std::span<const uint8_t> pattern) {
  const size_t windows = size - pattern.size() + 1;
  for (size_t a = 0; a < windows; ++a)
    if (differsEverywhere(data + a, pattern)) return a;
  return kNone;
}

size_t backwardMismatch(const uint8_t* data, size_t size, std::span<const uint8_t> pattern) {
  for (size_t a = size - pattern.size() + 1; a-- > 0;)
    if (differsEverywhere(data + a, pattern)) return a;
  return kNone;
}

struct ScannerRow {
  Scanner scan;
  bool backward;
  bool reportsLastByte;
};

// Indexed by the options byte's two bits: direction (bit 0), mismatch (bit 1).
constexpr ScannerRow kScanners[4] = {
    {forwardMatch, false, false},
    {backwardMatch, true, true},
    {forwardMismatch, false, false},
    {backwardMismatch, true, false},
};

}  // namespace

uint16_t searchRange(CommandContext& context, const SearchBounds& bounds, std::span<const uint8_t> pattern,
                     uint32_t& found) {
  if (pattern.empty() || pattern.size() > kMaxSearchPattern || bounds.end < bounds.start) return R_PARAMETER;
  const size_t k = pattern.size();
  const uint64_t length = uint64_t{bounds.end} - bounds.start + 1;
  if (length < k) return R_NOT_FOUND;
  const ScannerRow& row = kScanners[bounds.options & 3];

  // Blocks are read once each, in the direction of the search. The k - 1
  // bytes of the previous block nearest to the new one are kept beside it
  // (before it going up, after it going down), so that a window across a
  // block boundary is scanned whole and every window start is scanned once.
  // A scanner only ever compares bytes of this buffer, and a window reaching
  // outside [start, end] is no candidate in either direction.
  std::vector<uint8_t> buffer(kCommandBlock + kMaxSearchPattern - 1);
  size_t carried = 0;
  ProgressRun progress(context.progress, sid::kCaptionSearching,
                       static_cast<uint32_t>(length / kCommandBlock));
  for (uint64_t remaining = length; remaining > 0;) {
    const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(remaining, kCommandBlock));
    const uint32_t address =
        static_cast<uint32_t>(bounds.start + (row.backward ? remaining - size : length - remaining));
    if (uint16_t result = cardStillThere(context.access, context.area.socket)) return result;
    progress.at(address);
    uint8_t* into = buffer.data();
    if (row.backward)
      std::memmove(buffer.data() + size, buffer.data(), carried);
    else
      into += carried;
    const SlotRequest request{context.area.socket, context.area.space, address};
    if (uint16_t result =
            removalAware(context.access, context.area.socket, context.access.cardRead(request, into, size)))
      return result;

    const size_t scanned = size + carried;
    const uint32_t base = row.backward ? address : address - static_cast<uint32_t>(carried);
    if (scanned >= k) {
      const size_t at = row.scan(buffer.data(), scanned, pattern);
      if (at != kNone) {
        found = base + static_cast<uint32_t>(at + (row.reportsLastByte ? k - 1 : 0));
        return R_SUCCESS;
      }
    }
    if (!progress.step()) return R_STOPPED;
    remaining -= size;
    carried = std::min(k - 1, scanned);
    if (!row.backward) std::memmove(buffer.data(), buffer.data() + scanned - carried, carried);
  }
  return R_NOT_FOUND;
}

std::optional<SearchBounds> repeatSearchBounds(RepeatDirection direction, uint8_t options,
                                               uint32_t caretAddress, uint32_t areaSize,
                                               unsigned patternLength) {
  if (areaSize == 0 || patternLength == 0) return std::nullopt;
  const uint64_t k = patternLength, caret = caretAddress, lastByte = areaSize - 1u;
  uint64_t start = 0, end = 0;
  if (direction == RepeatDirection::Forward) {
    options &= static_cast<uint8_t>(~kSearchBackward);
    // Windows starting after the caret, up to the area's last byte, so that
    // a match ending on that byte is found too.
    start = caret + 1;
    end = lastByte;
  } else {
    options |= kSearchBackward;
    // Windows reported before the caret: a match by its last byte, so it
    // must end before the caret (an adjacent match counts); a mismatch by
    // its first byte, so it may reach past the caret. A caret on the first
    // byte leaves nothing before it.
    if (caret == 0) return std::nullopt;
    end = std::min(options & kSearchMismatch ? caret + k - 2 : caret - 1, lastByte);
  }
  if (start > end || end - start + 1 < k) return std::nullopt;
  return SearchBounds{static_cast<uint32_t>(start), static_cast<uint32_t>(end), options};
}

}  // namespace tessel
