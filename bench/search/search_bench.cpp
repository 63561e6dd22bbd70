// Times the card window's search over a whole 64 MiB SRAM card on the
// in-process card path, beside reading the same card in 64 KiB blocks in the
// same run: a search must not be slower than the reading it waits for.
// Two cards: random bytes (a pattern that does not occur, the usual case of
// a full pass) and an erased card with patterns that make every byte a
// candidate (the scanners' worst case).
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <random>
#include <string_view>
#include <vector>

#include "card_access.h"
#include "card_command_context.h"
#include "card_manager_binding.h"
#include "in_process_card_stack.h"
#include "result_codes.h"
#include "search_range.h"
#include "socket_poll.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kCardSize = 64u << 20;

class Silent final : public tessel::UserMessages {
 public:
  void showOk(std::string_view) override {}
  bool askYesNo(std::string_view) override { return true; }
};

class NoProgress final : public tessel::Progress {
 public:
  void start(uint32_t, std::string_view) override {}
  void setPosition(std::string_view) override {}
  bool step() override { return true; }
  void close() override {}
};

double megabytesPerSecond(double seconds) { return kCardSize / seconds / 1e6; }

template <typename Run>
double timed(Run run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::filesystem::path imageOf(const std::filesystem::path& folder, bool random) {
  std::vector<uint8_t> bytes(kCardSize, 0xFF);
  if (random) {
    std::mt19937 generator(20261208);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
  }
  std::filesystem::path file = folder / (random ? "random.bin" : "erased.bin");
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return file;
}

}  // namespace

int main() {
  zrb::test::InProcessCardStack stack;
  for (bool random : {true, false}) {
    zrb2x::virt::InsertOptions options;
    options.size = kCardSize;
    options.image = imageOf(stack.readersFolder(), random);
    stack.addReader(zrb2x::virt::CardTemplate::Sram, options);
  }
  cardservice::CardManagerBinding binding(stack);
  Silent messages;
  NoProgress progress;
  tessel::CardAccess access(binding, messages);
  if (!access.bindCardService()) return 1;
  access.sockets().info.resize(access.socketCount());
  tessel::pollSockets(access);
  // A search opens no image file; the context only wants the library's table.
  alignas(std::max_align_t) static const unsigned char noFiles[256] = {};

  struct Case {
    const char* name;
    uint8_t socket;
    std::vector<uint8_t> pattern;
    uint8_t options;
  };
  const std::vector<uint8_t> absent = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  std::vector<uint8_t> allButLast(16, 0xFF), allButFirst(16, 0xFF), onlyLast(16, 0x00);
  allButLast.back() = 0x00;
  allButFirst.front() = 0x00;
  onlyLast.back() = 0xFF;
  const Case cases[] = {
      {"random card, forward match", 0, absent, 0},
      {"random card, backward match", 0, absent, tessel::kSearchBackward},
      {"erased card, forward match, every byte a candidate", 1, allButLast, 0},
      {"erased card, backward match, every byte a candidate", 1, allButFirst, tessel::kSearchBackward},
      {"erased card, forward mismatch of FF", 1, {0xFF}, tessel::kSearchMismatch},
      {"erased card, forward mismatch, 15 bytes differ", 1, onlyLast, tessel::kSearchMismatch},
      {"erased card, backward mismatch of 00 FF",
       1,
       {0x00, 0xFF},
       tessel::kSearchBackward | tessel::kSearchMismatch},
  };

  std::printf("64 MiB SRAM card through the in-process card manager, accessor and virtual reader\n");
  for (uint8_t socket : {0, 1}) {
    std::vector<uint8_t> block(tessel::kCommandBlock);
    const double seconds = timed([&] {
      for (uint32_t at = 0; at < kCardSize; at += tessel::kCommandBlock)
        access.cardRead({socket, 0, at}, block.data(), tessel::kCommandBlock);
    });
    std::printf("  reference: reading card %u in 64 KiB blocks   %8.1f MB/s\n", socket,
                megabytesPerSecond(seconds));
  }
  for (const Case& c : cases) {
    tessel::CommandContext context{access, progress, messages,
                                   *reinterpret_cast<const ImageFileApi*>(noFiles),
                                   tessel::CommandArea{c.socket, 0, 0, 0, 0, kCardSize}};
    uint32_t found = 0;
    uint16_t result = 0;
    const double seconds = timed([&] {
      result = tessel::searchRange(context, {0, kCardSize - 1, c.options}, c.pattern, found);
    });
    std::printf("  %-52s %8.1f MB/s  (result %u)\n", c.name, megabytesPerSecond(seconds), result);
  }
  return 0;
}
