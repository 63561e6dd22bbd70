// Searching on the real card path: every window inside the range is found,
// the nearest first, across block boundaries and at the range's edges, in
// both directions; and the repeat commands' ranges walk from one match to
// the next without skipping one.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "card_window_fixture.h"
#include "recording_progress.h"
#include "result_codes.h"
#include "search_range.h"

namespace tessel {
namespace {

using namespace cardservice;
using test::CardWindowTest;
using zrb2x::virt::CardTemplate;

constexpr uint32_t kCardSize = 0x40000;
constexpr uint8_t kForward = 0, kBackward = kSearchBackward;
constexpr uint8_t kForwardMismatch = kSearchMismatch, kBackwardMismatch = kSearchBackward | kSearchMismatch;

const ImageFileApi& noImageFiles() {
  alignas(std::max_align_t) static const unsigned char table[256] = {};
  return *reinterpret_cast<const ImageFileApi*>(table);
}

// What the card holds is decided per test; searches read it back.
class SearchRangeTest : public CardWindowTest {
 protected:
  void card(std::vector<uint8_t> bytes) {
    bytes.resize(kCardSize, 0);
    content = bytes;
    insert(CardTemplate::Sram,
           withImage(kCardSize, imageFile(kCardSize, [&](uint32_t i) { return content[i]; })));
    bind();
  }
  CommandContext context() {
    const SocketInfo& info = access.sockets().info[0];
    return CommandContext{access, progress, messages, noImageFiles(),
                          CommandArea{0, 0, 0, info.deviceType[0], info.eraseUnit[0], info.areaSize[0]}};
  }
  // The address found, or the result when nothing was.
  std::optional<uint32_t> search(uint32_t start, uint32_t end, std::vector<uint8_t> pattern, uint8_t options,
                                 uint16_t* result = nullptr) {
    CommandContext where = context();
    uint32_t found = 0xDEADBEEF;
    const uint16_t code = searchRange(where, SearchBounds{start, end, options}, pattern, found);
    if (result) *result = code;
    if (code == R_SUCCESS) return found;
    EXPECT_EQ(found, 0xDEADBEEFu);
    return std::nullopt;
  }
  // The same question answered by looking at every window of the image.
  std::optional<uint32_t> reference(uint32_t start, uint32_t end, const std::vector<uint8_t>& pattern,
                                    uint8_t options) const {
    const uint64_t k = pattern.size();
    const bool backward = options & kSearchBackward, mismatch = options & kSearchMismatch;
    std::optional<uint32_t> best;
    for (uint64_t a = start; a + k - 1 <= end; ++a) {
      bool hit = true;
      for (uint64_t j = 0; j < k; ++j) {
        const bool equal = content[a + j] == pattern[j];
        if (mismatch ? equal : !equal) hit = false;
      }
      if (!hit) continue;
      const uint32_t reported = static_cast<uint32_t>(backward && !mismatch ? a + k - 1 : a);
      if (!best || backward) best = reported;
      if (!backward) break;
    }
    return best;
  }

  std::vector<uint8_t> content;
  test::RecordingProgress progress;
};

std::vector<uint8_t> placed(std::initializer_list<std::pair<uint32_t, std::vector<uint8_t>>> pieces) {
  std::vector<uint8_t> bytes(kCardSize, 0);
  for (const auto& [at, piece] : pieces) std::copy(piece.begin(), piece.end(), bytes.begin() + at);
  return bytes;
}

TEST_F(SearchRangeTest, APairSplitByABlockBoundaryIsFoundInBothDirections) {
  card(placed({{0xFFFF, {0x12, 0x34}}, {0x2FFFE, {0x12, 0x34, 0x56}}}));
  EXPECT_EQ(search(0, kCardSize - 1, {0x12, 0x34}, kForward), 0xFFFFu);
  EXPECT_EQ(search(0, 0x2FFFE, {0x12, 0x34}, kBackward), 0x10000u);  // the caret on the last byte
  EXPECT_EQ(search(0, kCardSize - 1, {0x12, 0x34}, kBackward), 0x2FFFFu);
  // Three bytes across the boundary of the second and third block, a range
  // that starts off a block's alignment, searched upwards and downwards.
  EXPECT_EQ(search(0x10001, kCardSize - 1, {0x12, 0x34, 0x56}, kForward), 0x2FFFEu);
  EXPECT_EQ(search(0x3, 0x3FFFE, {0x12, 0x34, 0x56}, kBackward), 0x30000u);
}

TEST_F(SearchRangeTest, AMatchInTheLastBytesOfTheRangeIsFoundAndOneReachingPastItIsNot) {
  card(placed({{0x2FFF0, {1, 2, 3, 4}}}));
  for (uint8_t options : {kForward, kBackward}) {
    SCOPED_TRACE(options);
    const uint32_t expected = options == kBackward ? 0x2FFF3 : 0x2FFF0;
    EXPECT_EQ(search(0x20000, 0x2FFF3, {1, 2, 3, 4}, options), expected);  // the range ends on its last byte
    EXPECT_EQ(search(0x2FFF0, 0x2FFF3, {1, 2, 3, 4}, options), expected);  // the range is the match
    // A whole block and then just the match's bytes, at the top or the bottom of the range.
    EXPECT_EQ(search(0x1FFF0, 0x2FFF3, {1, 2, 3, 4}, options), expected);
    EXPECT_EQ(search(0x2FFF0, 0x3FFF3, {1, 2, 3, 4}, options), expected);
    uint16_t result = 0;
    EXPECT_EQ(search(0x20000, 0x2FFF2, {1, 2, 3, 4}, options, &result), std::nullopt);
    EXPECT_EQ(result, R_NOT_FOUND);
    EXPECT_EQ(search(0x2FFF1, 0x30000, {1, 2, 3, 4}, options, &result), std::nullopt);
    EXPECT_EQ(result, R_NOT_FOUND);
  }
}

TEST_F(SearchRangeTest, TheNearestOfSeveralMatchesComesFirstInEachDirection) {
  card(placed({{0x100, {7, 7}}, {0x180, {7, 7}}, {0x1A000, {7, 7}}, {0x25000, {7, 7, 7}}}));
  EXPECT_EQ(search(0, kCardSize - 1, {7, 7}, kForward), 0x100u);
  EXPECT_EQ(search(0x101, kCardSize - 1, {7, 7}, kForward), 0x180u);
  EXPECT_EQ(search(0, kCardSize - 1, {7, 7}, kBackward), 0x25002u);  // the upper of two overlapping
  EXPECT_EQ(search(0, 0x25001, {7, 7}, kBackward), 0x25001u);
  EXPECT_EQ(search(0, 0x25000, {7, 7}, kBackward), 0x1A001u);
  EXPECT_EQ(search(0, 0x1A000, {7, 7}, kBackward), 0x181u);
}

TEST_F(SearchRangeTest, MismatchFindsTheNearestWindowThatDiffersEverywhere) {
  // Zeros, with non-zero bytes at 0x100, 0x201 and 0x202, and at both sides of a block boundary.
  card(placed({{0x100, {9}}, {0x201, {9, 9}}, {0x1FFFF, {5, 5}}}));
  EXPECT_EQ(search(0, kCardSize - 1, {0}, kForwardMismatch), 0x100u);
  EXPECT_EQ(search(0, 0x1000, {0}, kBackwardMismatch), 0x202u);  // the nearest, not the lowest of the block
  EXPECT_EQ(search(0, kCardSize - 1, {0, 0}, kForwardMismatch), 0x201u);
  EXPECT_EQ(search(0, 0x1000, {0, 0}, kBackwardMismatch), 0x201u);  // reported by its first byte
  EXPECT_EQ(search(0x1000, kCardSize - 1, {0, 0}, kForwardMismatch), 0x1FFFFu);
  EXPECT_EQ(search(0x1000, kCardSize - 1, {0, 0}, kBackwardMismatch), 0x1FFFFu);
}

TEST_F(SearchRangeTest, EveryOptionAgreesWithAWindowByWindowLookAcrossBlocks) {
  std::vector<uint8_t> bytes(kCardSize);
  uint32_t seed = 12345;
  // Few distinct values, so that matches and mismatches of several bytes are frequent.
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(((seed = seed * 1103515245 + 12345) >> 16) % 3);
  card(bytes);
  const std::vector<std::pair<uint32_t, uint32_t>> ranges = {
      {0, kCardSize - 1}, {0xFFF0, 0x1000F}, {0x1FFFB, 0x30004}, {0x5, 0x2000A}, {0x10000, 0x10000}};
  for (unsigned k : {1u, 2u, 5u, 9u}) {
    for (auto [start, end] : ranges) {
      for (uint8_t options : {kForward, kBackward, kForwardMismatch, kBackwardMismatch}) {
        // Patterns cut from the card beside the range's block boundaries,
        // where a window is split between two reads.
        for (uint32_t from : {start + 0xFFFE, end - 0xFFFF - 1, start, end - k + 1}) {
          if (from + k > kCardSize) continue;
          std::vector<uint8_t> pattern(bytes.begin() + from, bytes.begin() + from + k);
          SCOPED_TRACE(testing::Message() << "k " << k << " range " << std::hex << start << "-" << end
                                          << " options " << int(options) << " from " << from);
          EXPECT_EQ(search(start, end, pattern, options), reference(start, end, pattern, options));
        }
      }
    }
  }
}

TEST_F(SearchRangeTest, OneByteRangeAndShortRangesReadNothingTheyCannotMatch) {
  card(placed({{0x40, {0xAB, 0xCD}}}));
  EXPECT_EQ(search(0x40, 0x40, {0xAB}, kForward), 0x40u);
  EXPECT_EQ(search(0x40, 0x40, {0xAB}, kBackward), 0x40u);
  EXPECT_EQ(search(0x41, 0x41, {0xAB}, kForward), std::nullopt);
  manager.calls.clear();
  uint16_t result = 0;
  EXPECT_EQ(search(0x40, 0x40, {0xAB, 0xCD}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_NOT_FOUND);
  EXPECT_TRUE(manager.callsOf(FN_READ).empty());
}

TEST_F(SearchRangeTest, ARangeEndingBeforeItStartsOrABadPatternIsRefusedWithoutReading) {
  card({});
  manager.calls.clear();
  uint16_t result = 0;
  EXPECT_EQ(search(0x100, 0xFF, {0}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_PARAMETER);
  EXPECT_EQ(search(0, 0xFF, {}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_PARAMETER);
  EXPECT_EQ(search(0, 0xFF, std::vector<uint8_t>(17, 0), kBackward, &result), std::nullopt);
  EXPECT_EQ(result, R_PARAMETER);
  EXPECT_TRUE(manager.callsOf(FN_READ).empty());
  EXPECT_EQ(progress.starts, 0);
}

TEST_F(SearchRangeTest, ProgressStopAndReadFailuresEndTheSearchWithTheirResult) {
  card(placed({{0x3FFF0, {1}}}));
  uint16_t result = 0;
  EXPECT_EQ(search(0, kCardSize - 1, {2}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_NOT_FOUND);
  EXPECT_EQ(progress.caption, "検索中");
  EXPECT_EQ(progress.maximum, 4u);
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00000000", "00010000", "00020000", "00030000"}));
  EXPECT_EQ(progress.closes, progress.starts);

  progress.positions.clear();
  progress.steps = 0;
  progress.onStep = [](int steps) { return steps < 2; };
  EXPECT_EQ(search(0, kCardSize - 1, {2}, kBackward, &result), std::nullopt);
  EXPECT_EQ(result, R_STOPPED);
  EXPECT_EQ(progress.positions, (std::vector<std::string>{"00030000", "00020000"}));
  progress.onStep = nullptr;

  faults.fault = [](uint32_t code, const SlotRequest& request, void*) -> std::optional<int32_t> {
    if (code == FN_READ && request.offset == 0x20000) return CS_READ_ERROR;
    return std::nullopt;
  };
  EXPECT_EQ(search(0, kCardSize - 1, {1}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, CS_READ_ERROR);
  EXPECT_EQ(progress.closes, progress.starts);
}

TEST_F(SearchRangeTest, ACardPulledDuringTheSearchStopsItAtTheNextBlock) {
  card({});
  progress.onStep = [&](int) {
    EXPECT_EQ(zrb2x::virt::removeCard(readers[0]), "");
    pollSockets(access);  // as the progress window's message turn lets it
    return true;
  };
  uint16_t result = 0;
  EXPECT_EQ(search(0, kCardSize - 1, {1}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_CARD_REMOVED);
  EXPECT_EQ(progress.positions.size(), 1u);

  // Pulled before the poll saw it: the next read fails and says why.
  ASSERT_EQ(zrb2x::virt::insertCard(readers[0], CardTemplate::Sram, {}), "");
  pollSockets(access);
  progress.positions.clear();
  progress.onStep = [&](int) {
    EXPECT_EQ(zrb2x::virt::removeCard(readers[0]), "");
    return true;
  };
  EXPECT_EQ(search(0, kCardSize - 1, {1}, kForward, &result), std::nullopt);
  EXPECT_EQ(result, R_CARD_REMOVED);
  EXPECT_EQ(progress.positions.size(), 2u);
}

// F3 and F4 from the caret: the range each repeat searches, and the walk
// they make over a card from match to match.
TEST(RepeatSearchBounds, ForwardRunsFromAfterTheCaretToTheAreasLastByte) {
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Forward, kBackwardMismatch, 0x10, 0x1000, 4).value().start,
            0x11u);
  const SearchBounds bounds =
      *repeatSearchBounds(RepeatDirection::Forward, kBackwardMismatch, 0x10, 0x1000, 4);
  EXPECT_EQ(bounds.end, 0xFFFu);
  EXPECT_EQ(bounds.options, kForwardMismatch);  // the mismatch bit stays
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Forward, 0, 0xFFC, 0x1000, 3)->end, 0xFFFu);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Forward, 0, 0xFFD, 0x1000, 3), std::nullopt);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Forward, 0, 0xFFF, 0x1000, 1), std::nullopt);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Forward, 0, 0, 0, 1), std::nullopt);
}

TEST(RepeatSearchBounds, BackwardEndsBeforeTheCaretAndFindsNothingBelowIt) {
  const SearchBounds match = *repeatSearchBounds(RepeatDirection::Backward, 0, 0x20, 0x1000, 4);
  EXPECT_EQ(match.start, 0u);
  EXPECT_EQ(match.end, 0x1Fu);
  EXPECT_EQ(match.options, kBackward);
  // A mismatch is reported by its first byte: its window may reach past the caret.
  const SearchBounds mismatch =
      *repeatSearchBounds(RepeatDirection::Backward, kSearchMismatch, 0x20, 0x1000, 4);
  EXPECT_EQ(mismatch.end, 0x22u);
  EXPECT_EQ(mismatch.options, kBackwardMismatch);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Backward, kSearchMismatch, 0xFFF, 0x1000, 4)->end, 0xFFFu);
  // A caret on the first byte, or closer to it than the pattern is long.
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Backward, 0, 0, 0x1000, 1), std::nullopt);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Backward, 0, 3, 0x1000, 4), std::nullopt);
  EXPECT_EQ(repeatSearchBounds(RepeatDirection::Backward, 0, 4, 0x1000, 4)->end, 3u);
}

TEST_F(SearchRangeTest, RepeatedSearchesVisitEveryMatchInTurn) {
  // Adjacent and overlapping matches of "AB A", and one on the area's last bytes.
  card(placed({{0x10, {'A', 'B', 'A', 'B', 'A'}}, {0x1FFFF, {'A', 'B'}}, {kCardSize - 2, {'A', 'B'}}}));
  const std::vector<uint8_t> ab = {'A', 'B'};
  std::vector<uint32_t> visited;
  uint32_t caret = *search(0, kCardSize - 1, ab, kForward);
  visited.push_back(caret);
  while (auto bounds = repeatSearchBounds(RepeatDirection::Forward, 0, caret, kCardSize, 2)) {
    auto found = search(bounds->start, bounds->end, ab, bounds->options);
    if (!found) break;
    visited.push_back(caret = *found);
  }
  EXPECT_EQ(visited, (std::vector<uint32_t>{0x10, 0x12, 0x1FFFF, kCardSize - 2}));

  visited.clear();
  caret = kCardSize;  // F4 with the caret past everything: every match from the top down
  while (auto bounds = repeatSearchBounds(RepeatDirection::Backward, 0, caret, kCardSize, 2)) {
    auto found = search(bounds->start, bounds->end, ab, bounds->options);
    if (!found) break;
    visited.push_back(caret = *found);
  }
  EXPECT_EQ(visited, (std::vector<uint32_t>{kCardSize - 1, 0x20000, 0x13, 0x11}));
}

}  // namespace
}  // namespace tessel
