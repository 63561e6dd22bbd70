// The virtual ATA card: 512-byte sectors through READ(10) and WRITE(10), and
// the ATA pass-through with its task file kept in the reader's state between
// commands (write task file, execute or move data, read task file).
#include <cstring>

#include "big_endian.h"
#include "device_result.h"
#include "virtual_command.h"

namespace zrb2x::virt {
namespace {

constexpr uint32_t kSector = 512;
constexpr uint8_t kStatusReady = 0x50, kStatusError = 0x51, kErrorAborted = 0x04;
constexpr uint8_t kIdentify = 0xEC, kReadSectors = 0x20, kReadSectorsNoRetry = 0x21, kWriteSectors = 0x30,
                  kWriteSectorsNoRetry = 0x31;
// Commands without data a card accepts and has nothing to do for.
constexpr uint8_t kHarmlessCommands[] = {0x10, 0x91, 0xE7, 0xEF, 0xE0, 0xE1, 0xE5};

enum TaskFileRegister {
  kFeatures = 1,
  kCount = 2,
  kLba0 = 3,
  kLba1 = 4,
  kLba2 = 5,
  kDeviceHead = 6,
  kCommand = 7
};

struct Geometry {
  uint32_t heads = 4, sectorsPerTrack = 32, cylinders = 0;
};

Geometry geometryFor(uint32_t totalSectors) {
  Geometry g;
  g.cylinders = totalSectors / (g.heads * g.sectorsPerTrack);
  return g;
}

// Sector access needs an ATA card with its sector image.
MappedImage* sectorImage(Session& s) { return s.state.isAtaCard() ? s.commonImage() : nullptr; }

uint32_t moveSectors(Session& s, const CommandIo& io, uint32_t lba, uint32_t sectors, bool write) {
  if (!s.state.isAtaCard()) return result::kInvalidOpcode;
  if (io.direction != (write ? Direction::Out : Direction::In) || io.count != sectors * kSector ||
      (io.count && !io.data))
    return result::kInvalidField;
  MappedImage* image = sectorImage(s);
  if (!image) return result::kInternalFailure;
  if ((uint64_t{lba} + sectors) * kSector > image->size()) return result::kAddressOutOfRange;
  if (write && s.state.writeProtect) return result::kWriteProtected;
  uint8_t* cell = image->data() + uint64_t{lba} * kSector;
  if (write)
    std::memcpy(cell, io.data, io.count);
  else
    std::memcpy(io.data, cell, io.count);
  return result::kOk;
}

void putAtaString(uint8_t* sector, int firstWord, int words, const char* text) {
  // ATA strings: two characters per word, the first in the high byte.
  const size_t length = std::strlen(text);
  for (int i = 0; i < words * 2; ++i)
    sector[2 * firstWord + (i ^ 1)] = i < static_cast<int>(length) ? text[i] : ' ';
}

void buildIdentify(uint32_t totalSectors, uint8_t* sector) {
  std::memset(sector, 0, kSector);
  const Geometry g = geometryFor(totalSectors);
  auto word = [&](int index, uint32_t value) { putLittle16(sector + 2 * index, value); };
  word(0, 0x848A);  // removable CompactFlash-style card
  word(1, g.cylinders);
  word(3, g.heads);
  word(6, g.sectorsPerTrack);
  putAtaString(sector, 10, 10, "VIRTUAL0001");
  putAtaString(sector, 23, 4, "1.00");
  putAtaString(sector, 27, 20, "VIRTUAL ATA CARD");
  word(49, 0x0200);  // LBA supported
  word(53, 0x0001);  // words 54 to 58 valid
  word(54, g.cylinders);
  word(55, g.heads);
  word(56, g.sectorsPerTrack);
  const uint32_t current = g.cylinders * g.heads * g.sectorsPerTrack;
  word(57, current & 0xFFFF);
  word(58, current >> 16);
  word(60, totalSectors & 0xFFFF);
  word(61, totalSectors >> 16);
}

void finishTaskFile(Session& s, bool ok) {
  s.state.taskFile[kFeatures] = ok ? 0 : kErrorAborted;
  s.state.taskFile[kCommand] = ok ? kStatusReady : kStatusError;
  s.markChanged();
}

uint32_t taskFileLba(const ReaderState& st) {
  const auto& t = st.taskFile;
  return t[kLba0] | (uint32_t{t[kLba1]} << 8) | (uint32_t{t[kLba2]} << 16) |
         (uint32_t{t[kDeviceHead] & 0x0Fu} << 24);
}

uint32_t ataData(Session& s, const CommandIo& io, uint32_t sectors, bool write) {
  const uint8_t command = s.state.taskFile[kCommand];
  if (!write && command == kIdentify) {
    if (io.direction != Direction::In || io.count != kSector || !io.data) return result::kInvalidField;
    buildIdentify(s.state.commonSize() / kSector, io.data);
    finishTaskFile(s, true);
    return result::kOk;
  }
  const bool matches = write ? (command == kWriteSectors || command == kWriteSectorsNoRetry)
                             : (command == kReadSectors || command == kReadSectorsNoRetry);
  if (!matches) {
    finishTaskFile(s, false);
    return result::kOk;
  }
  const uint32_t r = moveSectors(s, io, taskFileLba(s.state), sectors, write);
  if (r == result::kAddressOutOfRange) {
    finishTaskFile(s, false);
    return result::kOk;
  }
  if (r == 0) finishTaskFile(s, true);
  return r;
}

}  // namespace

uint32_t handleReadSectors(Session& s, const CommandIo& io) {
  return moveSectors(s, io, getBig32(io.cdb + 2), getBig16(io.cdb + 7), false);
}

uint32_t handleWriteSectors(Session& s, const CommandIo& io) {
  return moveSectors(s, io, getBig32(io.cdb + 2), getBig16(io.cdb + 7), true);
}

uint32_t handleAtaPassThrough(Session& s, const CommandIo& io) {
  if (!s.state.isAtaCard()) return result::kInvalidOpcode;
  const uint32_t sectors = getBig16(io.cdb + 7);
  switch (io.cdb[2]) {
    case 1:
      if (io.direction != Direction::Out || io.count != 8 || !io.data) return result::kInvalidField;
      std::memcpy(s.state.taskFile.data(), io.data, 8);
      s.markChanged();
      return result::kOk;
    case 2:
      if (io.direction != Direction::In || io.count != 8 || !io.data) return result::kInvalidField;
      std::memcpy(io.data, s.state.taskFile.data(), 8);
      return result::kOk;
    case 3: {
      if (io.direction != Direction::None) return result::kInvalidField;
      bool known = false;
      for (uint8_t c : kHarmlessCommands) known |= c == s.state.taskFile[kCommand];
      finishTaskFile(s, known);
      return result::kOk;
    }
    case 4:
      return ataData(s, io, sectors, true);
    case 5:
      return ataData(s, io, sectors, false);
    default:
      return result::kInvalidField;
  }
}

}  // namespace zrb2x::virt
