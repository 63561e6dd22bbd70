// Putting a block must leave exactly the file, line count and error that the
// same bytes put one at a time leave: the writers take shortcuts for blocks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hexo_core.h"
#include "image_file_helpers.h"
#include "scratch_dir.h"

namespace {

struct Block {
  uint32_t address;
  std::vector<uint8_t> bytes;
};

struct Outcome {
  std::vector<int32_t> results;  // one per block
  int32_t lines = 0;
  int32_t error = 0;
  int32_t closed = 0;
  std::string file;
  bool operator==(const Outcome&) const = default;
};

// Writes the blocks, either each as one block or byte by byte (stopping at the
// first refused byte of a block, as the block call does).
Outcome write(const std::filesystem::path& path, int32_t type, const std::vector<Block>& blocks,
              bool asBlocks) {
  HexoHandle handle{};
  Outcome outcome;
  EXPECT_EQ(hexo::open(handle, path.string().c_str(), 'w', type), 0);
  for (const Block& block : blocks) {
    int32_t result = 0;
    if (asBlocks) {
      result = hexo::putBlock(handle, block.address, block.bytes.data(),
                              static_cast<uint32_t>(block.bytes.size()));
    } else {
      for (size_t i = 0; i < block.bytes.size() && result == 0; ++i)
        if (hexo::putByte(handle, block.address + static_cast<uint32_t>(i), block.bytes[i]) < 0) result = -1;
    }
    outcome.results.push_back(result);
  }
  outcome.lines = hexo::lineNumber(handle);
  outcome.error = hexo::error(handle);
  outcome.closed = hexo::close(handle);
  outcome.file = hexo::test::readFile(path);
  return outcome;
}

// Blocks of every length from 1 to a few records, starting anywhere in a
// 16-byte line, with gaps, falling addresses now and then, and runs across
// 64 KiB boundaries (the Intel HEX base records) and the S19/S28 limits.
std::vector<Block> randomBlocks(uint32_t seed, uint32_t start) {
  std::mt19937 random(seed);
  std::vector<Block> blocks;
  uint32_t address = start;
  for (int i = 0; i < 60; ++i) {
    const uint32_t length = 1 + random() % (random() % 4 == 0 ? 300 : 40);
    Block block{address, std::vector<uint8_t>(length)};
    for (uint8_t& byte : block.bytes) byte = static_cast<uint8_t>(random());
    blocks.push_back(block);
    address += length;
    switch (random() % 6) {
      case 0:
        address += random() % 40;
        break;  // a gap
      case 1:
        address = (address | 0xFFFF) - random() % 20;
        break;  // just below a 64 KiB boundary
      case 2:
        address -= random() % 8;
        break;  // overlapping the last block
      default:
        break;  // straight on
    }
  }
  return blocks;
}

class BlockPut : public ::testing::TestWithParam<int32_t> {
 protected:
  zrb::test::ScratchDir dir;
  void expectSameAsSinglePuts(const std::vector<Block>& blocks) {
    const Outcome single = write(dir / "single", GetParam(), blocks, false);
    const Outcome block = write(dir / "block", GetParam(), blocks, true);
    EXPECT_EQ(block, single);
  }
};

TEST_P(BlockPut, LeavesWhatSinglePutsLeave) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    expectSameAsSinglePuts(randomBlocks(seed, seed * 0x3F1));
  }
}

TEST_P(BlockPut, RefusesAtTheSameByteAsSinglePuts) {
  // Across each writer's address limit (the S19 and S28 records end there,
  // the others go on), and across the top of the address space.
  for (uint32_t limit : {0xFFFFu, 0xFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(limit);
    expectSameAsSinglePuts({{limit - 20, std::vector<uint8_t>(40, 0x5A)}});
  }
  // Falling into what is already written.
  expectSameAsSinglePuts({{0x100, std::vector<uint8_t>(32, 1)}, {0x110, std::vector<uint8_t>(32, 2)}});
}

INSTANTIATE_TEST_SUITE_P(EachWriter, BlockPut,
                         ::testing::Values(hexo::TYPE_BINARY, hexo::TYPE_INTEL_HEX, hexo::TYPE_S19,
                                           hexo::TYPE_S28, hexo::TYPE_S37));

TEST(BlockPutEdges, ReadersClosedHandlesAndEmptyBlocks) {
  zrb::test::ScratchDir dir;
  const auto path = dir / "image.hex";
  const uint8_t bytes[] = {1, 2, 3};
  ASSERT_EQ(hexo::test::writeImage(path, hexo::TYPE_INTEL_HEX, {{0, 9}}), 0);

  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, path.string().c_str(), 'r', -1), 0);
  EXPECT_EQ(hexo::putBlock(handle, 0, bytes, 3), -1);
  EXPECT_EQ(hexo::error(handle), hexo::ERR_ACCESS_MODE);
  EXPECT_EQ(hexo::close(handle), 0);
  EXPECT_EQ(hexo::putBlock(handle, 0, bytes, 3), -1);  // closed

  ASSERT_EQ(hexo::open(handle, path.string().c_str(), 'w', -1), 0);
  EXPECT_EQ(hexo::putBlock(handle, 0, bytes, 0), 0);
  EXPECT_EQ(hexo::putBlock(handle, 0, nullptr, 3), -1);
  EXPECT_EQ(hexo::error(handle), 0);
  EXPECT_EQ(hexo::close(handle), 0);
  EXPECT_EQ(hexo::test::readLines(path), ":00000001FF\n");
}

}  // namespace
