// Any CDB with any data phase against the virtual reader-writer: CDB fields
// are lengths and addresses it must check against the buffer it was given
// and its images. Input: byte 0 picks the card (even: SRAM, odd: ATA), byte 1
// the direction, bytes 2-4 the byte count (little-endian, at most 0x20000),
// bytes 5-20 the CDB, the rest the data sent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "virtual/card_templates.h"
#include "virtual/virtual_command.h"

namespace {

std::filesystem::path prepareReader(const char* name, zrb2x::virt::CardTemplate card) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("zrb2x-fuzz-" + std::to_string(::getpid())) / name;
  if (!std::filesystem::exists(folder / "reader.txt")) {
    zrb2x::virt::createReader(folder, {"ZRB-22G", "2.00"});
    zrb2x::virt::insertCard(folder, card, {0x20000, std::nullopt, std::nullopt});
  }
  return folder;
}

struct Readers {
  std::filesystem::path sram = prepareReader("sram", zrb2x::virt::CardTemplate::Sram);
  std::filesystem::path ata = prepareReader("ata", zrb2x::virt::CardTemplate::Ata);
  ~Readers() {
    std::error_code ignored;
    std::filesystem::remove_all(sram.parent_path(), ignored);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Readers readers;
  if (size < 21) return 0;
  const auto& folder = (data[0] & 1) ? readers.ata : readers.sram;
  const auto direction = static_cast<zrb2x::Direction>(data[1] % 3);
  const uint32_t count = std::min<uint32_t>(data[2] | (data[3] << 8) | (data[4] << 16), 0x20000);
  uint8_t cdb[16];
  std::memcpy(cdb, data + 5, 16);
  // Exactly `count` bytes, so ASan sees any access past the data phase.
  std::vector<uint8_t> buffer(count);
  if (count && size > 21) std::memcpy(buffer.data(), data + 21, std::min<size_t>(count, size - 21));
  const zrb2x::virt::CommandIo io{cdb, 16, direction, buffer.empty() ? nullptr : buffer.data(), count};
  zrb2x::virt::executeVirtualCommand(folder, io);
  // Keep the card in and unprotected so later inputs reach the handlers.
  zrb2x::virt::changeReader(folder, [](zrb2x::virt::ReaderState& s) {
    s.cardPresent = true;
    s.writeProtect = false;
    s.failAfter = s.pullAfter = s.throughput = 0;
  });
  return 0;
}
