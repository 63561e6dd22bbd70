// The command-line tool's card transfers measured as a script meets them:
// tesselcmd::run, the entry tesselcmd.exe hands its command line to, reading
// a virtual SRAM card to a binary and an Intel HEX file and writing each
// back. The reference beside them is the card manager alone: FN_READ and
// FN_WRITE over the same card in a bare loop, in calls of 64 KiB (the card
// window's block), 256 KiB and 1 MiB; the tool runs with each of these as
// its block and is set beside the bare loop of the same size, so that one
// run shows what the tool adds and which block it should move. Each of the
// tool's passes is also set beside the bare pass run just before it, and a
// read into a file that drops the bytes tells what the file system adds
// from what the tool itself does.
//
// One program measures both ways a program reaches the readers: on the NT
// family slothub.dll talks to the access service, installed for the run; on
// Windows 98 (Wine's per-program version, bench/tesselcmd/run sets it) the
// device library runs in-process and finds the readers through ZRB2X_VIRTUAL.
//
// Every file the tool wrote is written back onto a second card, spoilt
// before by a bare write, and compared with the first, so that a fast wrong transfer cannot
// pass; the peak working set is read before the first transfer and after
// the last, since the tool's loops keep one block whatever the card's size.
//
//   tesselcmd_bench [--mib N] [--rounds N]
//
// --mib sets the card size (default 64, the largest virtual card), --rounds
// how often each path is run (default 3: the best pass is shown, and the
// middle of the rounds' overheads).
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "binding/card_manager_binding.h"
#include "card_command_context.h"
#include "image_file_api.h"
#include "result_lines.h"
#include "scratch_dir.h"
#include "tesselcmd.h"
#include "timing_card_manager.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_module_loader.h"

namespace {

namespace virt = zrb2x::virt;
using zrb::bench::Best;
using zrb::bench::Pass;
using zrb::bench::timed;
using zrb::bench::TimingCardManager;

constexpr long kMaxMib = 64;                            // a virtual card holds at most 64 MiB
constexpr uint32_t kCheckCall = tessel::kCommandBlock;  // comparing the cards
// The call sizes of the bare loops and of the tool's runs.
constexpr std::array<uint32_t, 3> kCallSizes = {tessel::kCommandBlock, 256 * 1024, 1024 * 1024};
static_assert(std::find(kCallSizes.begin(), kCallSizes.end(), tesselcmd::kToolBlock) != kCallSizes.end(),
              "the tool's own block is among those measured");

// Sockets as the card manager numbers them; the tool counts from 1.
enum Socket : uint8_t { kSource, kTarget, kSockets };

struct Options {
  uint32_t mib = 64;
  int rounds = 3;
};

// The card manager bound for the bench's own calls and let go again before
// the tool binds it, as two programs would one after the other.
class BareCards {
 public:
  explicit BareCards(TimingCardManager& cards) : cards_(cards) {
    bound_ = cards_.bind() == cardservice::CS_OK;
    // Each reader reports its card's arrival once; the status calls take it
    // so that the data calls after them are not refused for it.
    for (int pass = 0; bound_ && pass < 2; ++pass)
      for (uint8_t socket = 0; socket < kSockets; ++socket) {
        uint8_t status = 0;
        call(cardservice::FN_STATUS, socket, 0, &status, 1);
      }
  }
  ~BareCards() { cards_.unbind(); }
  BareCards(const BareCards&) = delete;
  BareCards& operator=(const BareCards&) = delete;

  bool bound() const { return bound_; }

  int32_t call(uint32_t code, uint8_t socket, uint32_t offset, void* buffer, uint32_t length) {
    const cardservice::SlotRequest request{socket, 0, offset};
    return cards_.service(code, &request, buffer, length);
  }

  // The whole card in calls of `callSize`: the bare loop.
  std::optional<Pass> pass(uint32_t code, uint8_t socket, uint32_t size, uint32_t callSize, uint8_t* block) {
    return timed(cards_, [&] {
      for (uint32_t offset = 0; offset < size; offset += callSize) {
        if (const int32_t result = call(code, socket, offset, block, callSize); result != 0) {
          std::printf("bare call %u of %u bytes on socket %u at %08X failed with %d\n",
                      static_cast<unsigned>(code), callSize, socket, offset, result);
          return false;
        }
      }
      return true;
    });
  }

  bool sameBytes(uint8_t first, uint8_t second, uint32_t size) {
    std::vector<uint8_t> a(kCheckCall), b(kCheckCall);
    for (uint32_t offset = 0; offset < size; offset += kCheckCall) {
      if (call(cardservice::FN_READ, first, offset, a.data(), kCheckCall) != 0 ||
          call(cardservice::FN_READ, second, offset, b.data(), kCheckCall) != 0) {
        std::printf("the cards could not be read back at %08X\n", offset);
        return false;
      }
      if (a != b) {
        const auto at = std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
        std::printf("cards %u and %u differ at %08X: %02X against %02X\n", first, second,
                    static_cast<unsigned>(offset + at), a[at], b[at]);
        return false;
      }
    }
    return true;
  }

 private:
  TimingCardManager& cards_;
  bool bound_ = false;
};

// One of the tool's transfers over the rounds: its best pass, and its time
// over that of the bare pass run just before it, round by round. The bare
// loops run more often than any one transfer, so their best alone would be
// the luckier of more draws; the pairs meet the machine in the same state.
struct ToolRuns {
  Best best;
  std::vector<double> overPaired;

  void add(const std::optional<Pass>& tool, const std::optional<Pass>& bare) {
    best.add(tool);
    if (tool && bare) overPaired.push_back(tool->seconds / bare->seconds - 1);
  }
  // The middle of the rounds' figures (the mean of the two middle ones).
  std::optional<double> medianOver() const {
    if (best.failed || overPaired.empty()) return std::nullopt;
    std::vector<double> sorted = overPaired;
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
  }
};

// The tool's four transfers with one block size, and a read whose file
// takes the bytes and drops them.
struct ToolFigures {
  ToolRuns readBinary, readHex, writeBinary, writeHex, readDropped;
  // A bare read set beside the bare read just before it: how far two passes
  // of the same loop differ on this machine, the floor under "paired".
  ToolRuns bareAgain;
  // With the tool's own block only: the Intel HEX read again over the file
  // the read before left.
  ToolRuns readHexReplacing;
};

// The image file library with its puts doing nothing: the file is opened,
// closed and renamed as always, but stays empty. A read through it is the
// tool's loop and card calls alone, so that set beside the real reads it
// tells the file system's share of their time from the tool's own.
int32_t HEXO_API dropByte(HexoHandle*, uint32_t, int32_t) { return 0; }
int32_t HEXO_API dropBlock(HexoHandle*, uint32_t, const uint8_t*, uint32_t) { return 0; }
const ImageFileApi& droppingFileApi() {
  static const ImageFileApi api = [] {
    ImageFileApi dropping = imageFileApi();
    dropping.putB = dropByte;
    dropping.putBlock = dropBlock;
    return dropping;
  }();
  return api;
}

struct Figures {
  std::array<Best, kCallSizes.size()> bareRead, bareWrite;
  std::array<ToolFigures, kCallSizes.size()> tool;
  // A read of one block: what every command costs whatever its size.
  Best startUp;
  bool intact = true;
  zrb::bench::WorkingSet before{}, after{};
};

class Bench {
 public:
  Bench(TimingCardManager& cards, const std::filesystem::path& folder, uint32_t size)
      : cards_(cards), folder_(folder), size_(size), block_(kCallSizes.back()) {
    // Bytes unlike the source card's for the bare writes, which thereby
    // spoil the target before each of the tool's writes.
    for (size_t i = 0; i < block_.size(); ++i) block_[i] = static_cast<uint8_t>(i * 13 + (i >> 9));
  }

  // One tesselcmd command line, timed from its call to its return, the
  // binding of the card manager and the file's opening included, as a
  // script waits for them.
  std::optional<Pass> tool(std::vector<std::string> arguments, uint32_t block = tesselcmd::kToolBlock,
                           const ImageFileApi& files = imageFileApi()) {
    std::ostringstream out, err;
    tesselcmd::ToolIo io{out,
                         err,
                         false,
                         cards_,
                         files,
                         [](int32_t) { return std::string(); },
                         [](std::string_view text) { return std::string(text); },
                         {},
                         block};
    int code = -1;
    const std::optional<Pass> pass = timed(cards_, [&] {
      code = tesselcmd::run(arguments, io);
      return code == tesselcmd::kExitSuccess;
    });
    if (!pass) {
      std::string line = "tesselcmd";
      for (const std::string& argument : arguments) line += ' ' + argument;
      std::printf("%s ended with %d\n%s", line.c_str(), code, err.str().c_str());
    }
    return pass;
  }

  bool bare(Figures& figures) {
    BareCards cards(cards_);
    if (!cards.bound()) {
      std::printf("the card manager could not be bound\n");
      return false;
    }
    for (size_t i = 0; i < kCallSizes.size(); ++i) {
      figures.bareRead[i].add(cards.pass(cardservice::FN_READ, kSource, size_, kCallSizes[i], block_.data()));
      figures.bareWrite[i].add(
          cards.pass(cardservice::FN_WRITE, kTarget, size_, kCallSizes[i], block_.data()));
    }
    return !figures.bareRead.back().failed && !figures.bareWrite.back().failed;
  }

  // The source card to a file of `name` in calls of size `i`, and that file
  // back onto the target card, which must then equal the source. Each of the
  // tool's transfers follows a bare pass in the same direction and call size,
  // so that both meet the machine in the same state (the virtual cards are
  // image files: what the page cache still has to write back decides much of
  // a pass's time). The bare write also spoils the target, so that a write
  // that leaves the card alone is caught.
  bool roundTrip(const std::string& name, size_t i, Figures& figures, ToolRuns& toFile, ToolRuns& toCard) {
    const std::string file = (folder_ / name).string();
    // A new file: replacing one costs what the file system asks for it (see
    // replacingRead), not what the tool does.
    std::error_code error;
    std::filesystem::remove(file, error);
    std::optional<Pass> bare = barePass(cardservice::FN_READ, kSource, i, figures.bareRead[i]);
    if (!bare) return false;
    toFile.add(tool({"read", "1", file}, kCallSizes[i]), bare);
    if (toFile.best.failed || std::filesystem::file_size(file, error) == 0 || error) return false;
    bare = barePass(cardservice::FN_WRITE, kTarget, i, figures.bareWrite[i]);
    if (!bare) return false;
    toCard.add(tool({"write", "2", file}, kCallSizes[i]), bare);
    if (toCard.best.failed) return false;
    BareCards cards(cards_);
    return cards.bound() && cards.sameBytes(kSource, kTarget, size_);
  }

  // The source card read by the tool into a file that drops the bytes,
  // after a bare read like the real ones.
  bool droppedRead(size_t i, Figures& figures, ToolRuns& toNowhere) {
    const std::optional<Pass> bare = barePass(cardservice::FN_READ, kSource, i, figures.bareRead[i]);
    if (!bare) return false;
    toNowhere.add(tool({"read", "1", (folder_ / "dropped.bin").string()}, kCallSizes[i], droppingFileApi()),
                  bare);
    return !toNowhere.best.failed;
  }

  bool bareTwice(size_t i, Figures& figures, ToolRuns& again) {
    const std::optional<Pass> first = barePass(cardservice::FN_READ, kSource, i, figures.bareRead[i]);
    if (!first) return false;
    const std::optional<Pass> second = barePass(cardservice::FN_READ, kSource, i, figures.bareRead[i]);
    again.add(second, first);
    return !again.best.failed;
  }

  // The card read again into the Intel HEX file the round trip left, which
  // the tool replaces only once the new one is whole. Where the file system
  // writes a file out when it replaces another by renaming (ext4 does, so
  // that a crash cannot leave an empty file under the old name), that
  // writing falls into the tool's time.
  bool replacingRead(size_t i, Figures& figures, ToolRuns& replacing) {
    const std::filesystem::path file = folder_ / "card.hex";
    std::error_code error;
    const uintmax_t before = std::filesystem::file_size(file, error);
    if (error) return false;
    const std::optional<Pass> bare = barePass(cardservice::FN_READ, kSource, i, figures.bareRead[i]);
    if (!bare) return false;
    replacing.add(tool({"read", "1", file.string()}, kCallSizes[i]), bare);
    return !replacing.best.failed && std::filesystem::file_size(file, error) == before && !error;
  }

  // One bare pass over a card in calls of size `i`, with the card manager
  // bound for it alone: the tool binds it itself, as another program would.
  std::optional<Pass> barePass(uint32_t code, uint8_t socket, size_t i, Best& best) {
    BareCards cards(cards_);
    if (!cards.bound()) return std::nullopt;
    const std::optional<Pass> pass = cards.pass(code, socket, size_, kCallSizes[i], block_.data());
    best.add(pass);
    return pass;
  }

  // The rounds interleave the paths, so that a burst of load elsewhere on
  // the machine falls on one round of each rather than on one path.
  Figures measure(int rounds) {
    Figures figures;
    // The bare loops once before anything else: their buffers stand in the
    // peak working set the tool's transfers are measured against.
    figures.intact = bare(figures);
    figures.before = zrb::bench::workingSet();
    for (int round = 0; round < rounds && figures.intact; ++round) {
      figures.startUp.add(tool({"read", "1", (folder_ / "block.bin").string(), "--end", "0xFFFF"}));
      figures.intact = !figures.startUp.failed;
      for (size_t i = 0; i < kCallSizes.size() && figures.intact; ++i) {
        ToolFigures& tool = figures.tool[i];
        figures.intact =
            roundTrip("card.bin", i, figures, tool.readBinary, tool.writeBinary) &&
            roundTrip("card.hex", i, figures, tool.readHex, tool.writeHex) &&
            droppedRead(i, figures, tool.readDropped) && bareTwice(i, figures, tool.bareAgain) &&
            (kCallSizes[i] != tesselcmd::kToolBlock || replacingRead(i, figures, tool.readHexReplacing));
      }
    }
    figures.after = zrb::bench::workingSet();
    std::error_code ignored;
    std::filesystem::remove(folder_ / "card.bin", ignored);
    std::filesystem::remove(folder_ / "card.hex", ignored);
    std::filesystem::remove(folder_ / "block.bin", ignored);
    std::filesystem::remove(folder_ / "dropped.bin", ignored);
    return figures;
  }

 private:
  TimingCardManager& cards_;
  std::filesystem::path folder_;
  uint32_t size_;
  std::vector<uint8_t> block_;
};

std::string figure(const std::optional<double>& value, const char* format = "%.1f") {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, *value);
  return text;
}

void bareRow(const char* what, const std::array<Best, kCallSizes.size()>& loops, uint32_t size) {
  std::printf("  %-28s", what);
  for (const Best& loop : loops)
    std::printf(" %9s", loop.failed ? "failed" : figure(loop.rate(size)).c_str());
  std::printf("\n");
}

// The tool's best speed; that pass's time inside the card manager's data
// and status calls and outside them (binding, the socket's claim, the file
// side and the loop); the bare loop's best speed in the same direction and
// call size; the middle of the rounds' overheads over the bare pass just
// before; and the time outside the calls as a share of the bare loop's,
// which the card's own ups and downs do not enter.
void toolRow(const char* what, const ToolRuns& tool, const Best& bare, uint32_t size) {
  const std::optional<Pass>& best = tool.best.pass;
  std::optional<double> data, status, rest, paired, own;
  if (best) {
    data = best->dataSeconds;
    status = best->statusSeconds;
    rest = best->seconds - best->dataSeconds - best->statusSeconds;
  }
  if (const std::optional<double> median = tool.medianOver()) paired = *median * 100;
  if (rest && bare.pass) own = *rest / bare.pass->seconds * 100;
  std::printf("  %-28s %9s %7s %7s %7s %9s %9s %9s\n", what,
              tool.best.failed ? "failed" : figure(tool.best.rate(size)).c_str(),
              figure(data, "%.2f").c_str(), figure(status, "%.2f").c_str(), figure(rest, "%.2f").c_str(),
              figure(bare.rate(size)).c_str(), figure(paired, "%+.0f %%").c_str(),
              figure(own, "%.0f %%").c_str());
}

bool windows98() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

int run(const Options& options, const std::filesystem::path& folder, const char* path) {
  const uint32_t size = options.mib << 20;
  SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding binding(loader);
  TimingCardManager cards(binding);
  Bench bench(cards, folder, size);
  const Figures figures = bench.measure(options.rounds);

  std::printf("%u MiB SRAM card, %s, %d rounds\n", options.mib, path, options.rounds);
  std::printf("  %-28s %9s %9s %9s\n", "bare card manager loop, MB/s", "64 KiB", "256 KiB", "1 MiB");
  bareRow("FN_READ", figures.bareRead, size);
  bareRow("FN_WRITE", figures.bareWrite, size);
  for (size_t i = 0; i < kCallSizes.size(); ++i) {
    char heading[64];
    std::snprintf(heading, sizeof heading, "tesselcmd, %u KiB calls%s", kCallSizes[i] / 1024,
                  kCallSizes[i] == tesselcmd::kToolBlock ? " (its own)" : "");
    std::printf("  %-28s %9s %7s %7s %7s %9s %9s %9s\n", heading, "MB/s", "data s", "stat s", "rest s",
                "bare MB/s", "paired", "rest");
    const ToolFigures& tool = figures.tool[i];
    toolRow("read -> binary file", tool.readBinary, figures.bareRead[i], size);
    toolRow("read -> Intel HEX file", tool.readHex, figures.bareRead[i], size);
    toolRow("write <- binary file", tool.writeBinary, figures.bareWrite[i], size);
    toolRow("write <- Intel HEX file", tool.writeHex, figures.bareWrite[i], size);
    toolRow("read -> bytes dropped", tool.readDropped, figures.bareRead[i], size);
    toolRow("bare read after bare read", tool.bareAgain, figures.bareRead[i], size);
    if (kCallSizes[i] == tesselcmd::kToolBlock)
      toolRow("read -> HEX, replacing it", tool.readHexReplacing, figures.bareRead[i], size);
  }
  std::printf(
      "  (MB/s and the seconds: the tool's best round; data s, stat s: inside the card manager's\n"
      "  data and status calls; rest s: binding, the socket's claim, the file side and the loop;\n"
      "  bare MB/s: the loop above in calls of the same size; paired: the middle of the rounds'\n"
      "  times over the bare pass run just before, in the same direction; rest: rest s as a share\n"
      "  of the bare loop's time; bytes dropped: the image file library's puts do nothing, so\n"
      "  no file is written; the reads write new files, but for \"replacing it\", which reads\n"
      "  into the Intel HEX file of the read before; bare read after bare read: the spread of\n"
      "  two passes of the same loop, under which \"paired\" cannot tell anything apart)\n");
  std::printf(
      "  start-up: a read of one 64 KiB block took %s ms (binding the card manager, polling the\n"
      "  sockets, the socket's claim, the file opened and closed)\n",
      figures.startUp.pass ? figure(figures.startUp.pass->seconds * 1000, "%.0f").c_str() : "-");
  std::printf("  written back onto a second card: %s\n", figures.intact ? "equal to the first" : "DIFFERENT");
  // A peak before far above the set in use would hide growth: both are shown.
  std::printf(
      "  peak working set %zu KiB before the first transfer (%zu KiB in use), %zu KiB after the last: "
      "grew %.1f MiB\n",
      figures.before.peak, figures.before.now, figures.after.peak,
      (double(figures.after.peak) - double(figures.before.peak)) / 1024.0);
  return figures.intact ? 0 : 1;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--mib" && i + 1 < argc) {
      const long mib = std::strtol(argv[++i], nullptr, 10);
      if (mib < 1 || mib > kMaxMib) return false;
      options.mib = static_cast<uint32_t>(mib);
    } else if (arg == "--rounds" && i + 1 < argc) {
      options.rounds = std::atoi(argv[++i]);
      if (options.rounds < 1 || options.rounds > 20) return false;
    } else {
      return false;
    }
  }
  return true;
}

// Made in a child process (tesselcmd_bench --make-readers FOLDER MIB):
// making a card builds its whole image in memory, which would otherwise
// stand in this process's peak working set.
int makeReaders(const std::filesystem::path& folder, uint32_t mib) {
  const uint32_t size = mib << 20;
  const std::filesystem::path source = folder / "source.bin";
  zrb::bench::writePattern(source, size, 1);
  // Readers r0 and r1 become sockets 0 and 1 (the tool's 1 and 2).
  const std::optional<std::filesystem::path> images[kSockets] = {source, std::nullopt};
  for (uint8_t socket = 0; socket < kSockets; ++socket) {
    // Built by appending: GCC 12 warns falsely about a literal plus a temporary.
    std::string name = "r";
    name += std::to_string(socket);
    const std::filesystem::path reader = folder / name;
    virt::InsertOptions card;
    card.size = size;
    card.image = images[socket];
    std::string problem = virt::createReader(reader, {});
    if (problem.empty()) problem = virt::insertCard(reader, virt::CardTemplate::Sram, card);
    if (!problem.empty()) {
      std::printf("cannot make the virtual reader %s: %s\n", reader.string().c_str(), problem.c_str());
      return 1;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(source, ignored);
  return 0;
}

// Both the process environment and the C runtime's copy: the device library
// reads the variable through the runtime.
void setVirtualFolder(const std::string& folder) {
  SetEnvironmentVariableA("ZRB2X_VIRTUAL", folder.empty() ? nullptr : folder.c_str());
  _putenv_s("ZRB2X_VIRTUAL", folder.c_str());
}

int benchMain(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "--make-readers") {
    const long mib = std::strtol(argv[3], nullptr, 10);
    if (mib < 1 || mib > kMaxMib) return 2;
    return makeReaders(argv[2], static_cast<uint32_t>(mib));
  }
  Options options;
  if (!parse(argc, argv, options)) {
    std::printf("usage: tesselcmd_bench [--mib 1..%ld] [--rounds 1..20]\n", kMaxMib);
    return 2;
  }
  zrb::test::ScratchDir scratch;
  if (!zrb::bench::runSelf({"--make-readers", scratch.path().string(), std::to_string(options.mib)})) {
    std::printf("cannot make the virtual readers\n");
    return 1;
  }
  if (windows98()) {
    setVirtualFolder(scratch.path().string());
    const int result = run(options, scratch.path(), "in-process (Windows 98)");
    setVirtualFolder("");
    return result;
  }
  return zrb::bench::withInstalledService(scratch.path(), [&] {
    return run(options, scratch.path(), "through slothub.dll and the service (NT)");
  });
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return benchMain(argc, argv);
  } catch (const std::exception& error) {
    std::printf("stopped: %s\n", error.what());
    return 1;
  }
}
