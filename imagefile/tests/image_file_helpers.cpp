#include "image_file_helpers.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "hexo_core.h"

namespace hexo::test {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readLines(const std::filesystem::path& path) {
  std::string text = readFile(path);
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

int32_t writeImage(const std::filesystem::path& path, int32_t type, const std::vector<Cell>& cells,
                   int32_t* putError) {
  HexoHandle handle{};
  if (hexo::open(handle, path.string().c_str(), 'w', type) != 0) return -2;
  for (const Cell& cell : cells) {
    if (hexo::putByte(handle, cell.address, cell.byte) != cell.byte) {
      if (putError) *putError = hexo::error(handle);
      break;
    }
  }
  return hexo::close(handle);
}

ReadResult readImage(const std::filesystem::path& path, int32_t type) {
  ReadResult result;
  HexoHandle handle{};
  if (hexo::open(handle, path.string().c_str(), 'r', type) != 0) {
    result.error = hexo::error(handle);
    return result;
  }
  uint32_t address = 0;
  for (int32_t byte; (byte = hexo::getByte(handle, &address)) != -1;)
    result.cells.push_back({address, static_cast<uint8_t>(byte)});
  result.error = hexo::error(handle);
  result.eof = handle.eof;
  hexo::close(handle);
  return result;
}

ReadResult readText(const std::filesystem::path& folder, const std::string& content, int32_t type) {
  const auto path = folder / "input.txt";
  writeFile(path, content);
  return readImage(path, type);
}

std::vector<Cell> randomImage(uint32_t seed, uint32_t start, int runs, uint32_t maxRun, uint32_t maxGap) {
  std::mt19937 random(seed);
  std::vector<Cell> cells;
  uint32_t address = start;
  for (int run = 0; run < runs; ++run) {
    const uint32_t length = 1 + random() % maxRun;
    for (uint32_t i = 0; i < length; ++i) cells.push_back({address++, static_cast<uint8_t>(random())});
    address += random() % (maxGap + 1);
  }
  return cells;
}

}  // namespace hexo::test
