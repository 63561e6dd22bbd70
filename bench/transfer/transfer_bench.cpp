// The card utility's own file transfers measured through the whole stack:
// tessel::cardToFile and tessel::fileToCard over slothub.dll, veskci2xs.dll,
// the pipe and the access service to virtual SRAM cards, in binary and in
// Intel HEX. The reference beside them is the card manager moving the same
// card in the same 64 KiB calls with nothing else in the loop, and, when
// bench/transfer/run passes them in, srec_cat's conversions of the same
// image on Linux. Every file is written back to a second card and compared
// with the first, so that a fast wrong transfer cannot pass. A larger card
// then goes to Intel HEX and back while the peak working set is watched:
// the loops keep one block, so it must not grow with the card.
//
//   transfer_bench [--mib N] [--rounds N] [--image FILE] [--srec-cat BIN_TO_HEX HEX_TO_BIN]
//
// --mib sets the first card's size (default 16, at most 16; the large card is
// four times as big), --rounds how often the first card's paths are run (the
// best counts; default 3), --image fills the first card from FILE instead of
// a pattern, --srec-cat hands in the reference figures that run measured.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "binding/card_manager_binding.h"
#include "card_access.h"
#include "card_command_context.h"
#include "file_commands.h"
#include "image_file_api.h"
#include "result_codes.h"
#include "scratch_dir.h"
#include "socket_poll.h"
#include "timing_card_manager.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_module_loader.h"

namespace {

namespace virt = zrb2x::virt;

constexpr uint32_t kCall = tessel::kCommandBlock;  // the loops' block, 64 KiB
constexpr int32_t kBinary = 0, kIntelHex = 1;
// The large card is four times the first; a virtual card holds at most 64 MiB.
constexpr long kMaxMib = 16;

// The sockets, one virtual reader each, in the readers' name order.
enum Socket : uint8_t { kSource, kTarget, kLargeSource, kLargeTarget, kSockets };

class StderrMessages final : public tessel::UserMessages {
 public:
  void showOk(std::string_view text) override {
    ++shown;
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool askYesNo(std::string_view text) override {
    ++shown;
    std::fprintf(stderr, "question (answered no): %.*s\n", static_cast<int>(text.size()), text.data());
    return false;
  }
  int shown = 0;
};

// The progress window without a window: the steps are counted so that a
// loop that skipped its blocks shows.
class QuietProgress final : public tessel::Progress {
 public:
  void start(uint32_t, std::string_view) override {}
  void setPosition(std::string_view) override {}
  bool step() override {
    ++steps;
    return true;
  }
  void close() override {}
  uint64_t steps = 0;
};

using zrb::bench::TimingCardManager;

using zrb::bench::Best;
using zrb::bench::Pass;

struct Figures {
  Best cardToBinary, cardToHex, binaryToCard, hexToCard, rawRead, rawWrite;
  bool intact = true;
};

class Bench {
 public:
  Bench(tessel::CardAccess& access, TimingCardManager& manager, StderrMessages& messages)
      : access_(access), manager_(manager), messages_(messages), files_(imageFileApi()) {}

  tessel::CommandContext context(uint8_t socket) {
    const tessel::SocketInfo& info = access_.sockets().info[socket];
    return tessel::CommandContext{
        access_, progress_, messages_, files_,
        tessel::CommandArea{socket, 0, 0, info.deviceType[0], info.eraseUnit[0], info.areaSize[0]}};
  }

  std::optional<Pass> timed(const std::function<bool()>& run) { return zrb::bench::timed(manager_, run); }

  // One whole card in 64 KiB calls straight through the card manager.
  std::optional<Pass> rawPass(uint32_t code, uint8_t socket, uint32_t size, uint8_t* block) {
    return timed([&] {
      for (uint32_t offset = 0; offset < size; offset += kCall) {
        cardservice::SlotRequest request{socket, 0, offset};
        const uint16_t result = code == cardservice::FN_READ ? access_.cardRead(request, block, kCall)
                                                             : access_.cardWrite(request, block, kCall);
        if (result != 0) {
          std::fprintf(stderr, "raw call %u on socket %u at %08X failed with %u\n",
                       static_cast<unsigned>(code), socket, offset, result);
          return false;
        }
      }
      return true;
    });
  }

  // Leaves the target card holding bytes unlike the source's, so that a
  // transfer that writes nothing is caught by the comparison after it.
  bool spoil(uint8_t socket, uint32_t size) {
    std::vector<uint8_t> block(kCall, 0xA5);
    return rawPass(cardservice::FN_WRITE, socket, size, block.data()).has_value();
  }

  // Both cards read back block by block: equal over the whole size.
  bool sameBytes(uint8_t first, uint8_t second, uint32_t size) {
    std::vector<uint8_t> a(kCall), b(kCall);
    for (uint32_t offset = 0; offset < size; offset += kCall) {
      if (access_.cardRead({first, 0, offset}, a.data(), kCall) != 0 ||
          access_.cardRead({second, 0, offset}, b.data(), kCall) != 0)
        return false;
      if (a != b) {
        size_t at = 0;
        while (a[at] == b[at]) ++at;
        std::fprintf(stderr, "cards %u and %u differ at %08zX: %02X against %02X\n", first, second,
                     offset + at, a[at], b[at]);
        return false;
      }
    }
    return true;
  }

  // One transfer, timed; empty when it did not end with success after one
  // progress step per block.
  std::optional<Pass> transfer(const char* what, uint32_t size, const std::function<uint16_t()>& run) {
    return timed([&] {
      const uint64_t stepsBefore = progress_.steps;
      const uint16_t result = run();
      if (result != tessel::R_SUCCESS) {
        std::fprintf(stderr, "%s ended with %u\n", what, result);
        return false;
      }
      if (progress_.steps - stepsBefore != size / kCall) {
        std::fprintf(stderr, "%s made %llu steps for %u blocks\n", what,
                     static_cast<unsigned long long>(progress_.steps - stepsBefore), size / kCall);
        return false;
      }
      return true;
    });
  }

  // Card to file and back onto the spoilt second card, compared.
  bool roundTrip(const std::string& file, int32_t type, uint8_t from, uint8_t to, uint32_t size, Best& toFile,
                 Best& toCard) {
    tessel::FileTransfer transfer{0, size, file, type, 0};
    auto fromContext = context(from);
    auto toContext = context(to);
    toFile.add(
        this->transfer("card to file", size, [&] { return tessel::cardToFile(fromContext, transfer); }));
    if (toFile.failed || !spoil(to, size)) return false;
    toCard.add(this->transfer("file to card", size, [&] { return tessel::fileToCard(toContext, transfer); }));
    return !toCard.failed && sameBytes(from, to, size);
  }

  // The rounds interleave the paths, so that a burst of load elsewhere on
  // the machine falls on one round of each rather than on one path.
  Figures measure(const std::filesystem::path& folder, uint32_t size, int rounds) {
    Figures figures;
    std::vector<uint8_t> block(kCall);
    for (int round = 0; round < rounds && figures.intact; ++round) {
      figures.rawRead.add(rawPass(cardservice::FN_READ, kSource, size, block.data()));
      // The raw write spreads the source's last block over the whole target;
      // spoil() and the comparisons make sure it never counts as a copy.
      figures.rawWrite.add(rawPass(cardservice::FN_WRITE, kTarget, size, block.data()));
      figures.intact = roundTrip((folder / "card.bin").string(), kBinary, kSource, kTarget, size,
                                 figures.cardToBinary, figures.binaryToCard) &&
                       roundTrip((folder / "card.hex").string(), kIntelHex, kSource, kTarget, size,
                                 figures.cardToHex, figures.hexToCard) &&
                       !figures.rawRead.failed && !figures.rawWrite.failed;
    }
    std::error_code ignored;
    std::filesystem::remove(folder / "card.bin", ignored);
    std::filesystem::remove(folder / "card.hex", ignored);
    return figures;
  }

  tessel::CardAccess& access_;
  TimingCardManager& manager_;
  StderrMessages& messages_;
  QuietProgress progress_;
  const ImageFileApi& files_;
};

struct Options {
  uint32_t mib = 16;
  int rounds = 3;
  std::optional<std::string> image;
  std::optional<double> srecBinToHex, srecHexToBin;
};

std::string figure(const std::optional<double>& value, const char* format = "%.1f") {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, *value);
  return text;
}

void header() {
  std::printf("  %-24s %7s %7s %7s %7s   %8s %8s\n", "", "MB/s", "data s", "stat s", "file s", "raw MB/s",
              "srec_cat");
}

// A path's speed, its time in the card manager's data and status calls and
// outside them (the file side and the loop), and its references: the raw
// card manager pass in the same direction and srec_cat's conversion.
void row(const char* what, uint32_t size, const Best& ours, const Best& raw,
         const std::optional<double>& srecCat) {
  std::optional<double> rate, data, status, rest, rawRate;
  if (ours.pass) {
    rate = size / 1e6 / ours.pass->seconds;
    data = ours.pass->dataSeconds;
    status = ours.pass->statusSeconds;
    rest = ours.pass->seconds - ours.pass->dataSeconds - ours.pass->statusSeconds;
  }
  if (raw.pass) rawRate = size / 1e6 / raw.pass->seconds;
  std::printf("  %-24s %7s %7s %7s %7s   %8s %8s\n", what, ours.failed ? "failed" : figure(rate).c_str(),
              figure(data, "%.2f").c_str(), figure(status, "%.2f").c_str(), figure(rest, "%.2f").c_str(),
              figure(rawRate).c_str(), figure(srecCat).c_str());
}

int run(const Options& options, const std::filesystem::path& folder) {
  const uint32_t size = options.mib << 20, largeSize = size * 4;
  SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding binding(loader);
  TimingCardManager manager(binding);
  StderrMessages messages;
  tessel::CardAccess access(manager, messages);
  if (!access.bindCardService() || access.socketCount() < kSockets) {
    std::printf("the card manager found %u sockets, not %d\n", access.socketCount(), kSockets);
    return 1;
  }
  access.sockets().info.assign(access.socketCount(), tessel::SocketInfo{});
  tessel::pollSockets(access);
  tessel::pollSockets(access);  // past the card change each reader reports once
  Bench bench(access, manager, messages);

  const Figures figures = bench.measure(folder, size, options.rounds);
  std::printf("%u MiB SRAM card (%s) through slothub.dll and the service, best of %d rounds\n", options.mib,
              options.image ? "the given image" : "a pattern", options.rounds);
  header();
  row("card -> Intel HEX file", size, figures.cardToHex, figures.rawRead, options.srecBinToHex);
  row("Intel HEX file -> card", size, figures.hexToCard, figures.rawWrite, options.srecHexToBin);
  row("card -> binary file", size, figures.cardToBinary, figures.rawRead, std::nullopt);
  row("binary file -> card", size, figures.binaryToCard, figures.rawWrite, std::nullopt);
  std::printf(
      "  (data s, stat s: inside the card manager's data and status calls; file s: the file side\n"
      "  and the loop; raw: FN_READ or FN_WRITE over the same card in the same 64 KiB calls;\n"
      "  srec_cat: binary -> Intel HEX or back on the same image under Linux)\n");
  std::printf("  written back to a second card: %s\n", figures.intact ? "equal to the first" : "DIFFERENT");

  // The large card has its own pair of readers. The readers were made in
  // another process, so the peak before is this process's own.
  Best largeRead, largeWrite;
  {
    std::vector<uint8_t> block(kCall);
    largeRead.add(bench.rawPass(cardservice::FN_READ, kLargeSource, largeSize, block.data()));
    largeWrite.add(bench.rawPass(cardservice::FN_WRITE, kLargeTarget, largeSize, block.data()));
  }
  const zrb::bench::WorkingSet before = zrb::bench::workingSet();
  Best toHex, fromHex;
  const bool largeIntact = bench.roundTrip((folder / "large.hex").string(), kIntelHex, kLargeSource,
                                           kLargeTarget, largeSize, toHex, fromHex);
  const zrb::bench::WorkingSet after = zrb::bench::workingSet();
  std::error_code ignored;
  std::filesystem::remove(folder / "large.hex", ignored);
  std::printf("%u MiB SRAM card to Intel HEX and back onto a second card, one round\n", largeSize >> 20);
  header();
  row("card -> Intel HEX file", largeSize, toHex, largeRead, std::nullopt);
  row("Intel HEX file -> card", largeSize, fromHex, largeWrite, std::nullopt);
  std::printf("  written back to a second card: %s\n", largeIntact ? "equal to the first" : "DIFFERENT");
  // A peak before far above the set in use would hide growth: both are shown.
  std::printf("  peak working set %zu KiB before (%zu KiB in use), %zu KiB after: grew %.1f MiB\n",
              before.peak, before.now, after.peak, (double(after.peak) - double(before.peak)) / 1024.0);
  std::printf("messages shown: %d\n", messages.shown);
  return figures.intact && largeIntact && messages.shown == 0 ? 0 : 1;
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
    } else if (arg == "--image" && i + 1 < argc) {
      options.image = argv[++i];
    } else if (arg == "--srec-cat" && i + 2 < argc) {
      options.srecBinToHex = std::strtod(argv[++i], nullptr);
      options.srecHexToBin = std::strtod(argv[++i], nullptr);
    } else {
      return false;
    }
  }
  return true;
}

// Made in a child process (transfer_bench --make-readers FOLDER MIB [IMAGE]):
// making a card builds its whole image in memory, which would otherwise
// stand in this process's peak working set before the large card is moved.
int makeReaders(const std::filesystem::path& folder, uint32_t mib, const std::optional<std::string>& image) {
  const uint32_t size = mib << 20;
  const std::filesystem::path source = image ? std::filesystem::path(*image) : folder / "source.bin";
  if (!image) zrb::bench::writePattern(source, size, 1);
  std::error_code error;
  if (std::filesystem::file_size(source, error) != size) {
    std::printf("the image must hold exactly %u MiB\n", mib);
    return 1;
  }
  const std::filesystem::path large = folder / "large.bin";
  zrb::bench::writePattern(large, size * 4, 2);
  // Readers r0..r3 become sockets 0..3: source and target of each phase.
  const struct {
    const char* name;
    uint32_t size;
    std::optional<std::filesystem::path> image;
  } readers[kSockets] = {{"r0", size, source},
                         {"r1", size, std::nullopt},
                         {"r2", size * 4, large},
                         {"r3", size * 4, std::nullopt}};
  for (const auto& reader : readers) {
    virt::InsertOptions card;
    card.size = reader.size;
    card.image = reader.image;
    std::string problem = virt::createReader(folder / reader.name, {});
    if (problem.empty()) problem = virt::insertCard(folder / reader.name, virt::CardTemplate::Sram, card);
    if (!problem.empty()) {
      std::printf("cannot make the virtual reader %s: %s\n", reader.name, problem.c_str());
      return 1;
    }
  }
  std::filesystem::remove(large, error);
  if (!image) std::filesystem::remove(source, error);
  return 0;
}

bool readersMadeByChild(const std::filesystem::path& folder, const Options& options) {
  std::vector<std::string> arguments{"--make-readers", folder.string(), std::to_string(options.mib)};
  if (options.image) arguments.push_back(*options.image);
  return zrb::bench::runSelf(arguments);
}

int benchMain(int argc, char** argv) {
  if (argc >= 4 && std::string_view(argv[1]) == "--make-readers") {
    const long mib = std::strtol(argv[3], nullptr, 10);
    if (mib < 1 || mib > kMaxMib) return 2;
    return makeReaders(argv[2], static_cast<uint32_t>(mib),
                       argc > 4 ? std::optional<std::string>(argv[4]) : std::nullopt);
  }
  Options options;
  if (!parse(argc, argv, options)) {
    std::printf(
        "usage: transfer_bench [--mib 1..%ld] [--rounds 1..20] [--image FILE] [--srec-cat BIN_TO_HEX "
        "HEX_TO_BIN]\n",
        kMaxMib);
    return 2;
  }
  zrb::test::ScratchDir scratch;
  if (!readersMadeByChild(scratch.path(), options)) {
    std::printf("cannot make the virtual readers\n");
    return 1;
  }
  return zrb::bench::withInstalledService(scratch.path(), [&] { return run(options, scratch.path()); });
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
