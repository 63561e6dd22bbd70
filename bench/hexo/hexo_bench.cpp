// Writes and reads back a random memory image through the byte-at-a-time
// interface in every file type and prints the throughput beside srec_cat doing
// the same conversion (binary image to the type, and the written file back to
// binary) in the same run. The image is also written in 256 KiB blocks
// (putBlock, as a card is read into a file), which must give the same file,
// and read back in blocks of up to 256 KiB (getBlock, as a card is written
// from a file), which must give the same bytes at the same addresses.
//
//   hexo_bench [--mib N] [--dir FOLDER] [--only TYPE] [--reference-out FILE] [--reference-in FILE]
//
// srec_cat is a program of the host: the host build runs it itself and can
// save its figures with --reference-out; the Windows build (under Wine) prints
// the figures that --reference-in names beside its own.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "image_file_api.h"

namespace {

struct Format {
  const char* name;
  int32_t type;
  const char* extension;
  const char* srecCatArguments;
  uint64_t addressSpan;  // addresses the type can hold
};

const Format kFormats[] = {
    {"binary", 0, ".bin", "-binary", uint64_t{1} << 32},
    {"HEX", 1, ".hex", "-intel", uint64_t{1} << 32},
    {"S19", 2, ".s19", "-motorola -address-length=2", uint64_t{1} << 16},
    {"S28", 3, ".s28", "-motorola -address-length=3", uint64_t{1} << 24},
    {"S37", 4, ".s37", "-motorola -address-length=4", uint64_t{1} << 32},
};

struct Figures {
  double writeMBps = 0;
  double readMBps = 0;
  double blockWriteMBps = 0;
  double blockReadMBps = 0;
};

constexpr uint32_t kBlock = 256 * 1024;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double megabytesPerSecond(uint64_t bytes, double elapsed) { return elapsed > 0 ? bytes / elapsed / 1e6 : 0; }

std::vector<uint8_t> randomImage(size_t size) {
  std::vector<uint8_t> image(size);
  std::mt19937_64 random(20261208);
  for (size_t i = 0; i < size; i += 8) {
    const uint64_t value = random();
    std::memcpy(image.data() + i, &value, size - i < 8 ? size - i : 8);
  }
  return image;
}

// Writes the image `passes` times (each pass a fresh file) and reads each file
// back, checking every byte and address. False on any failure or difference.
bool measure(const ImageFileApi& api, const Format& format, const std::vector<uint8_t>& image, int passes,
             const std::string& path, Figures& figures) {
  HexoHandle handle;
  double writeTime = 0, readTime = 0;
  for (int pass = 0; pass < passes; ++pass) {
    auto start = Clock::now();
    if (api.open(&handle, path.c_str(), 'w', format.type) != 0) return false;
    const uint32_t count = static_cast<uint32_t>(image.size());
    for (uint32_t address = 0; address < count; ++address) {
      if (api.putB(&handle, address, image[address]) == -1) {
        std::fprintf(stderr, "%s: put failed, error %d\n", format.name, api.getError(&handle));
        api.close(&handle);
        return false;
      }
    }
    if (api.close(&handle) != 0) return false;
    writeTime += seconds(start);

    start = Clock::now();
    if (api.open(&handle, path.c_str(), 'r', format.type) != 0) return false;
    uint32_t address = 0, expected = 0;
    bool same = true;
    for (int32_t byte; (byte = api.getB(&handle, &address)) != -1; ++expected)
      same = same && expected < count && address == expected && byte == image[expected];
    const int32_t error = api.getError(&handle);
    api.close(&handle);
    readTime += seconds(start);
    if (!same || expected != count || error != 0) {
      std::fprintf(stderr, "%s: read back differs (error %d, %u of %u bytes)\n", format.name, error, expected,
                   count);
      return false;
    }
  }
  const uint64_t total = static_cast<uint64_t>(image.size()) * passes;
  figures.writeMBps = megabytesPerSecond(total, writeTime);
  figures.readMBps = megabytesPerSecond(total, readTime);
  return true;
}

bool sameFiles(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::vector<char> x(1 << 20), y(1 << 20);
  while (first && second) {
    first.read(x.data(), static_cast<std::streamsize>(x.size()));
    second.read(y.data(), static_cast<std::streamsize>(y.size()));
    if (first.gcount() != second.gcount() || std::memcmp(x.data(), y.data(), first.gcount()) != 0)
      return false;
  }
  return first.eof() && second.eof();
}

// The image written in blocks, as often as measure() wrote it; the last file
// must equal what the byte-by-byte writing left at `bytePath`. Then that file
// read in blocks as often, each time the whole image at its addresses.
bool measureBlocks(const ImageFileApi& api, const Format& format, const std::vector<uint8_t>& image,
                   int passes, const std::string& path, const std::string& bytePath, Figures& figures) {
  HexoHandle handle;
  double writeTime = 0;
  const uint32_t count = static_cast<uint32_t>(image.size());
  for (int pass = 0; pass < passes; ++pass) {
    const auto start = Clock::now();
    if (api.open(&handle, path.c_str(), 'w', format.type) != 0) return false;
    for (uint32_t address = 0; address < count; address += kBlock) {
      const uint32_t n = count - address < kBlock ? count - address : kBlock;
      if (api.putBlock(&handle, address, image.data() + address, n) != 0) {
        std::fprintf(stderr, "%s: block put failed, error %d\n", format.name, api.getError(&handle));
        api.close(&handle);
        return false;
      }
    }
    if (api.close(&handle) != 0) return false;
    writeTime += seconds(start);
  }
  if (!sameFiles(path, bytePath)) {
    std::fprintf(stderr, "%s: the file written in blocks differs from the one written byte by byte\n",
                 format.name);
    return false;
  }
  figures.blockWriteMBps = megabytesPerSecond(static_cast<uint64_t>(image.size()) * passes, writeTime);

  double readTime = 0;
  std::vector<uint8_t> block(kBlock);
  for (int pass = 0; pass < passes; ++pass) {
    const auto start = Clock::now();
    if (api.open(&handle, path.c_str(), 'r', format.type) != 0) return false;
    uint32_t expected = 0;
    bool same = true;
    uint32_t address = 0;
    for (int32_t got; (got = api.getBlock(&handle, &address, block.data(), kBlock)) > 0; expected += got)
      same = same && address == expected && static_cast<uint32_t>(got) <= count - expected &&
             std::memcmp(block.data(), image.data() + expected, static_cast<size_t>(got)) == 0;
    const int32_t error = api.getError(&handle);
    api.close(&handle);
    readTime += seconds(start);
    if (!same || expected != count || error != 0) {
      std::fprintf(stderr, "%s: read back in blocks differs (error %d, %u of %u bytes)\n", format.name, error,
                   expected, count);
      return false;
    }
  }
  figures.blockReadMBps = megabytesPerSecond(static_cast<uint64_t>(image.size()) * passes, readTime);
  return true;
}

#if !defined(_WIN32)
double timeCommand(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return seconds(start);
}

// srec_cat converting the binary image to the type, and our file of the type
// back to binary.
bool measureSrecCat(const Format& format, const std::string& binaryImage, const std::string& ourFile,
                    const std::string& folder, uint64_t bytes, Figures& figures) {
  const std::string out = folder + "/srec_cat" + format.extension;
  const double write =
      timeCommand("srec_cat " + binaryImage + " -binary -o " + out + " " + format.srecCatArguments);
  const double read = timeCommand("srec_cat " + ourFile + " " + format.srecCatArguments + " -o " + folder +
                                  "/srec_cat_back.bin -binary 2>/dev/null");
  std::filesystem::remove(out);
  std::filesystem::remove(folder + "/srec_cat_back.bin");
  if (write < 0 || read < 0) return false;
  figures.writeMBps = megabytesPerSecond(bytes, write);
  figures.readMBps = megabytesPerSecond(bytes, read);
  return true;
}
#endif

std::map<std::string, Figures> readReference(const std::string& path) {
  std::map<std::string, Figures> reference;
  std::ifstream in(path);
  std::string name;
  Figures figures;
  while (in >> name >> figures.writeMBps >> figures.readMBps) reference[name] = figures;
  return reference;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t mib = 64;
  std::string folder = (std::filesystem::temp_directory_path() / "hexo_bench").string();
  std::string referenceOut, referenceIn, only;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--mib") == 0) mib = std::strtoull(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--dir") == 0) folder = argv[i + 1];
    if (std::strcmp(argv[i], "--reference-out") == 0) referenceOut = argv[i + 1];
    if (std::strcmp(argv[i], "--reference-in") == 0) referenceIn = argv[i + 1];
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
  }
  const ImageFileApi& api = imageFileApi();
  std::filesystem::create_directories(folder);
  const uint64_t size = mib << 20;
  const std::vector<uint8_t> image = randomImage(size);
  std::map<std::string, Figures> reference =
      referenceIn.empty() ? std::map<std::string, Figures>{} : readReference(referenceIn);
  std::ofstream referenceFile;
  if (!referenceOut.empty()) referenceFile.open(referenceOut);

  std::printf("%s, %llu MiB random image, MB/s = 10^6 image bytes per second\n", api.name,
              static_cast<unsigned long long>(mib));
  std::printf("%-7s %10s %10s %14s %14s %8s %8s %10s %10s\n", "type", "write", "read", "srec_cat wr",
              "srec_cat rd", "write x", "read x", "block wr", "block rd");
  int failures = 0;
  for (const Format& format : kFormats) {
    if (!only.empty() && only != format.name) continue;
    // A type that cannot hold the whole image writes a part of it that it
    // can hold, as often as it takes to move as many bytes.
    const uint64_t partSize = size < format.addressSpan ? size : format.addressSpan;
    const int passes = static_cast<int>(size / partSize);
    const std::vector<uint8_t> part(image.begin(), image.begin() + static_cast<ptrdiff_t>(partSize));
    const std::string ours = folder + "/ours" + format.extension;
    Figures figures;
    if (!measure(api, format, part, passes, ours, figures) ||
        !measureBlocks(api, format, part, passes, ours + ".blk", ours, figures)) {
      std::printf("%-7s failed\n", format.name);
      ++failures;
      continue;
    }
    Figures srecCat;
#if !defined(_WIN32)
    const std::string binary = folder + "/source.bin";
    std::ofstream(binary, std::ios::binary).write(reinterpret_cast<const char*>(part.data()), part.size());
    if (!measureSrecCat(format, binary, ours, folder, partSize, srecCat)) ++failures;
    std::filesystem::remove(binary);
    if (referenceFile)
      referenceFile << format.name << ' ' << srecCat.writeMBps << ' ' << srecCat.readMBps << '\n';
#else
    if (reference.count(format.name)) srecCat = reference[format.name];
#endif
    std::filesystem::remove(ours);
    std::filesystem::remove(ours + ".blk");
    const auto ratio = [](double ours, double theirs) { return theirs > 0 ? ours / theirs : 0; };
    std::printf("%-7s %10.1f %10.1f %14.1f %14.1f %8.1f %8.1f %10.1f %10.1f\n", format.name,
                figures.writeMBps, figures.readMBps, srecCat.writeMBps, srecCat.readMBps,
                ratio(figures.writeMBps, srecCat.writeMBps), ratio(figures.readMBps, srecCat.readMBps),
                figures.blockWriteMBps, figures.blockReadMBps);
    std::fflush(stdout);
  }
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
