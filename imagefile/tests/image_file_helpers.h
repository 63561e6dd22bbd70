// Writing and reading whole images through the calling interface, for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hexo::test {

struct Cell {
  uint32_t address;
  uint8_t byte;
  bool operator==(const Cell&) const = default;
};

struct ReadResult {
  std::vector<Cell> cells;
  int32_t error = 0;
  int32_t eof = 0;
};

std::string readFile(const std::filesystem::path& path);
// The file's text with the platform's line ends (CR LF on Windows) turned into "\n".
std::string readLines(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// Puts every cell in order and closes; returns the close result. Stops at the
// first refused put and records the error in *putError (when given).
int32_t writeImage(const std::filesystem::path& path, int32_t type, const std::vector<Cell>& cells,
                   int32_t* putError = nullptr);

// Reads until the reader reports -1.
ReadResult readImage(const std::filesystem::path& path, int32_t type);

// Writes `content` to a file and reads it back as `type`.
ReadResult readText(const std::filesystem::path& folder, const std::string& content, int32_t type);

// Random image of `runs` runs of random bytes, starting at `start`, with
// random gaps between runs; addresses rise.
std::vector<Cell> randomImage(uint32_t seed, uint32_t start, int runs, uint32_t maxRun, uint32_t maxGap);

}  // namespace hexo::test
