// Getting blocks must deliver exactly the bytes, addresses, end, error and
// line count that single gets deliver: the readers copy whole records and
// buffers for blocks, and must stop where the addresses jump.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

namespace {

using hexo::test::Cell;

struct Reading {
  std::vector<Cell> cells;
  int32_t eof = 0;
  int32_t error = 0;
  int32_t lines = 0;
  bool operator==(const Reading&) const = default;
};

// Reads the whole file byte by byte, or in blocks of random sizes up to
// `largest`; every block must hold consecutive addresses.
Reading read(const std::filesystem::path& path, int32_t type, uint32_t largest, uint32_t seed) {
  HexoHandle handle{};
  Reading reading;
  EXPECT_EQ(hexo::open(handle, path.string().c_str(), 'r', type), 0);
  std::mt19937 random(seed);
  std::vector<uint8_t> block(largest);
  for (;;) {
    uint32_t address = 0;
    if (largest == 0) {
      const int32_t byte = hexo::getByte(handle, &address);
      if (byte < 0) break;
      reading.cells.push_back({address, static_cast<uint8_t>(byte)});
      continue;
    }
    const uint32_t count = 1 + random() % largest;
    const int32_t got = hexo::getBlock(handle, &address, block.data(), count);
    if (got < 0) break;
    EXPECT_GE(got, 1);
    EXPECT_LE(static_cast<uint32_t>(got), count);
    for (int32_t i = 0; i < got; ++i) reading.cells.push_back({address + static_cast<uint32_t>(i), block[i]});
  }
  reading.eof = hexo::isEof(handle);
  reading.error = hexo::error(handle);
  reading.lines = hexo::lineNumber(handle);
  hexo::close(handle);
  return reading;
}

class BlockGet : public ::testing::TestWithParam<int32_t> {
 protected:
  zrb::test::ScratchDir dir;

  void expectSameAsSingleGets(const std::filesystem::path& path) {
    const Reading single = read(path, GetParam(), 0, 0);
    for (uint32_t largest : {1u, 7u, 16u, 100u, 70000u}) {
      SCOPED_TRACE(largest);
      EXPECT_EQ(read(path, GetParam(), largest, largest), single);
    }
  }
};

TEST_P(BlockGet, DeliversWhatSingleGetsDeliver) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE(seed);
    // Runs with gaps below 64 KiB (where S19 ends), and across 64 KiB pages
    // and the step from segment to linear base records at 1 MiB.
    std::vector<uint32_t> starts = {seed * 0xFF0};
    if (GetParam() != hexo::TYPE_S19) starts.push_back(0xF8000 + seed * 0x1000);
    for (uint32_t start : starts) {
      ASSERT_EQ(hexo::test::writeImage(dir / "image", GetParam(),
                                       hexo::test::randomImage(seed, start, 15, 2000, 200)),
                0);
      expectSameAsSingleGets(dir / "image");
    }
  }
}

TEST_P(BlockGet, StopsWhereSingleGetsStopOnABrokenFile) {
  ASSERT_EQ(hexo::test::writeImage(dir / "image", GetParam(), hexo::test::randomImage(9, 0x100, 8, 200, 50)),
            0);
  const std::string whole = hexo::test::readFile(dir / "image");
  // Cut short (text files lose their end record, a binary file its tail),
  // and for the text types a damaged character in a middle record.
  hexo::test::writeFile(dir / "short", whole.substr(0, whole.size() * 2 / 3));
  expectSameAsSingleGets(dir / "short");
  if (GetParam() != hexo::TYPE_BINARY) {
    std::string damaged = whole;
    damaged[damaged.find('\n', damaged.size() / 2) + 4] = 'G';
    hexo::test::writeFile(dir / "damaged", damaged);
    expectSameAsSingleGets(dir / "damaged");
  }
}

INSTANTIATE_TEST_SUITE_P(EachReader, BlockGet,
                         ::testing::Values(hexo::TYPE_BINARY, hexo::TYPE_INTEL_HEX, hexo::TYPE_S19,
                                           hexo::TYPE_S28, hexo::TYPE_S37));

// Files as other tools write them: a record running across 64 KiB goes on
// counting, addresses fall back, and records repeat an address.
TEST(BlockGetRecords, RunsFollowTheAddressesNotTheRecords) {
  zrb::test::ScratchDir dir;
  const std::string hex =
      ":04FFFE0001020304F5\n"  // FFFE..10001, on across the page
      ":020000040001F9\n"      // linear base 0x10000 while data continues at 0x10002
      ":020002000506F1\n"      // 10002..10003: follows on
      ":0100000007F8\n"        // 10000 again: falls back
      ":00000001FF\n";
  hexo::test::writeFile(dir / "a.hex", hex);
  const Reading single = read(dir / "a.hex", hexo::TYPE_INTEL_HEX, 0, 0);
  ASSERT_EQ(single.cells.size(), 7u);
  EXPECT_EQ(single.eof, 1);
  for (uint32_t largest : {1u, 3u, 8u})
    EXPECT_EQ(read(dir / "a.hex", hexo::TYPE_INTEL_HEX, largest, 5), single);

  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, (dir / "a.hex").string().c_str(), 'r', -1), 0);
  uint8_t bytes[16] = {};
  uint32_t address = 0;
  EXPECT_EQ(hexo::getBlock(handle, &address, bytes, 16), 6);  // one run over three records
  EXPECT_EQ(address, 0xFFFEu);
  EXPECT_EQ(hexo::getBlock(handle, &address, bytes, 16), 1);
  EXPECT_EQ(address, 0x10000u);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(hexo::getBlock(handle, &address, bytes, 16), -1);
  EXPECT_EQ(hexo::isEof(handle), 1);
  hexo::close(handle);
}

TEST(BlockGetEdges, WritersClosedHandlesAndEmptyBlocks) {
  zrb::test::ScratchDir dir;
  const auto path = dir / "image.s37";
  ASSERT_EQ(hexo::test::writeImage(path, hexo::TYPE_S37, {{5, 9}, {6, 8}}), 0);
  uint8_t bytes[4] = {};

  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, path.string().c_str(), 'r', -1), 0);
  EXPECT_EQ(hexo::getBlock(handle, nullptr, bytes, 0), 0);
  EXPECT_EQ(hexo::getBlock(handle, nullptr, nullptr, 4), -1);
  EXPECT_EQ(hexo::error(handle), 0);
  // No address wanted, and a count far beyond the data and the buffer: what
  // there is, no more.
  EXPECT_EQ(hexo::getBlock(handle, nullptr, bytes, 0xFFFFFFFFu), 2);
  EXPECT_EQ(bytes[1], 8);
  EXPECT_EQ(hexo::close(handle), 0);
  EXPECT_EQ(hexo::getBlock(handle, nullptr, bytes, 4), -1);  // closed

  ASSERT_EQ(hexo::open(handle, (dir / "out.hex").string().c_str(), 'w', -1), 0);
  uint32_t address = 0;
  EXPECT_EQ(hexo::getBlock(handle, &address, bytes, 4), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ACCESS_MODE);
  hexo::close(handle);
}

}  // namespace
