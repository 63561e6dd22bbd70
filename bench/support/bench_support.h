// Helpers of the Windows benchmarks that move whole cards: a card image that
// shows a misplaced block, the process's working set, and a child process
// for the work whose memory must not stand in the bench's own peak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zrb::bench {

// The block in which patterns are written; a size is a multiple of it.
constexpr uint32_t kPatternBlock = 64 * 1024;

// `size` image bytes that are not all alike, different for each seed.
void writePattern(const std::filesystem::path& file, uint32_t size, uint8_t seed);

// The peak and the present working set, in KiB.
struct WorkingSet {
  size_t peak;
  size_t now;
};
WorkingSet workingSet();

// Runs this program again with `arguments` (each quoted) and waits for it;
// true when it ended with 0. Making a card builds its whole image in
// memory, which would otherwise stand in the caller's peak working set.
bool runSelf(const std::vector<std::string>& arguments);

// Installs and starts the access service on the virtual readers in
// `readers`, runs `run` and removes the service again, whatever happened;
// 1 when the service could not be started, else what `run` returned.
int withInstalledService(const std::filesystem::path& readers, const std::function<int()>& run);

}  // namespace zrb::bench
