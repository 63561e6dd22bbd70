// Runs gathered from an image file: the library hands over runs of its own,
// cut by the count asked for; a run that does not follow is kept back, and
// a run kept back may itself be longer than the next request.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "hexo_core.h"
#include "image_file_api.h"
#include "image_file_reader.h"
#include "scratch_dir.h"

namespace {

struct FileRun {
  uint32_t address;
  std::vector<uint8_t> bytes;
  bool operator==(const FileRun&) const = default;
};

class ImageFileReaderTest : public ::testing::Test {
 protected:
  zrb::test::ScratchDir dir;

  // Writes `runs` as an Intel HEX file and reads it back in requests of the
  // sizes in `counts`, the last repeated until the file has no more data.
  std::vector<FileRun> roundTrip(const std::vector<FileRun>& runs, const std::vector<uint32_t>& counts,
                                 bool& clean) {
    const std::string path = (dir / "image.hex").string();
    HexoHandle handle{};
    EXPECT_EQ(hexo::open(handle, path.c_str(), 'w', hexo::TYPE_INTEL_HEX), 0);
    for (const FileRun& run : runs)
      EXPECT_EQ(
          hexo::putBlock(handle, run.address, run.bytes.data(), static_cast<uint32_t>(run.bytes.size())), 0);
    EXPECT_EQ(hexo::close(handle), 0);

    EXPECT_EQ(hexo::open(handle, path.c_str(), 'r', -1), 0);
    tessel::ImageFileReader reader(imageFileApi(), handle);
    std::vector<FileRun> read;
    std::vector<uint8_t> buffer(1024);
    for (size_t request = 0;; ++request) {
      uint32_t delivered = counts[std::min(request, counts.size() - 1)];
      const uint32_t address = reader.readRun(buffer.data(), delivered);
      if (delivered == 0) break;
      read.push_back({address, std::vector<uint8_t>(buffer.begin(), buffer.begin() + delivered)});
    }
    clean = reader.endedCleanly();
    hexo::close(handle);
    return read;
  }
};

std::vector<uint8_t> counting(size_t length, uint8_t first) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

TEST_F(ImageFileReaderTest, RunsAreCutByTheCountAndJoinedAcrossRecords) {
  // 40 bytes over three records, then a jump forwards and one backwards.
  const std::vector<FileRun> runs = {
      {0x1008, counting(40, 0)}, {0x2000, counting(5, 100)}, {0x10, counting(3, 200)}};
  bool clean = false;
  EXPECT_EQ(roundTrip(runs, {64}, clean), runs);
  EXPECT_TRUE(clean);

  // Requests of 16: the first run comes in pieces that each follow on.
  const std::vector<FileRun> pieces = {{0x1008, counting(16, 0)},
                                       {0x1018, counting(16, 16)},
                                       {0x1028, counting(8, 32)},
                                       {0x2000, counting(5, 100)},
                                       {0x10, counting(3, 200)}};
  EXPECT_EQ(roundTrip(runs, {16}, clean), pieces);
  EXPECT_TRUE(clean);
}

TEST_F(ImageFileReaderTest, ARunKeptBackIsHandedOutOverSeveralRequests) {
  // The library's run after the first jump (30 bytes, asked for with room
  // for 34) is kept back whole; requests of 8 then take it piece by piece.
  // The last piece ends the hold, and the library's next run is kept back
  // (2 bytes, all there was room for) and joined by the rest of it later.
  const std::vector<FileRun> runs = {
      {0x100, counting(2, 0)}, {0x300, counting(30, 50)}, {0x400, counting(4, 90)}};
  const std::vector<FileRun> expected = {{0x100, counting(2, 0)},  {0x300, counting(8, 50)},
                                         {0x308, counting(8, 58)}, {0x310, counting(8, 66)},
                                         {0x318, counting(6, 74)}, {0x400, counting(4, 90)}};
  bool clean = false;
  EXPECT_EQ(roundTrip(runs, {36, 8}, clean), expected);
  EXPECT_TRUE(clean);
}

TEST_F(ImageFileReaderTest, ATruncatedFileDoesNotEndCleanly) {
  const std::vector<FileRun> runs = {{0, counting(64, 1)}};
  bool clean = true;
  roundTrip(runs, {64}, clean);
  ASSERT_TRUE(clean);
  // Without its end record the same data is delivered, but not as a clean end.
  const std::string path = (dir / "image.hex").string();
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  text = text.substr(0, text.rfind(':'));
  std::ofstream(path, std::ios::binary) << text;
  HexoHandle handle{};
  ASSERT_EQ(hexo::open(handle, path.c_str(), 'r', -1), 0);
  tessel::ImageFileReader reader(imageFileApi(), handle);
  std::vector<uint8_t> buffer(128);
  uint32_t delivered = 128;
  EXPECT_EQ(reader.readRun(buffer.data(), delivered), 0u);
  EXPECT_EQ(delivered, 64u);
  delivered = 128;
  reader.readRun(buffer.data(), delivered);
  EXPECT_EQ(delivered, 0u);
  EXPECT_FALSE(reader.endedCleanly());
  hexo::close(handle);
}

}  // namespace
