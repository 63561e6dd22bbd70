// Card memory of the virtual reader-writer. Common memory is 16 bits wide:
// the command layer only ever sends word-aligned transfers, so anything else
// is refused as an invalid field (that catches our own bugs). Attribute memory
// keeps data at even addresses only. Flash can only clear bits when
// programmed and goes back to 0xFF by whole erase blocks of its chip.
#include <algorithm>
#include <cstring>

#include "big_endian.h"
#include "chip_table.h"
#include "device_result.h"
#include "virtual_command.h"

namespace zrb2x::virt {
namespace {

constexpr uint32_t kDefaultFlashBlock = 0x10000;  // a chip the table does not list

struct MemoryCdb {
  uint32_t address;
  uint32_t length;
};

MemoryCdb memoryFields(const CommandIo& io) { return {getBig32(io.cdb + 2), getBig32(io.cdb + 6)}; }

bool inRange(uint32_t address, uint32_t length, size_t size) { return uint64_t{address} + length <= size; }

// Common checks of a data transfer: direction, whole words, count matching
// the CDB, inside the image.
uint32_t checkTransfer(const CommandIo& io, Direction direction, const MemoryCdb& m, MappedImage* image) {
  if (io.direction != direction || io.count != m.length || (m.length && !io.data))
    return result::kInvalidField;
  if ((m.address | m.length) & 1) return result::kInvalidField;
  if (!image) return result::kInternalFailure;
  if (!inRange(m.address, m.length, image->size())) return result::kAddressOutOfRange;
  return result::kOk;
}

uint32_t blockOf(const ChipSegment& chip) {
  const ChipParameters* row = findFlashChip(chip.chipId);
  return row && row->eraseUnit ? row->eraseUnit : kDefaultFlashBlock;
}

// Calls visit(chip, segmentStart, from, to) for each chip that [address,
// address + length) touches, with the overlap in card addresses.
template <typename Visit>
void forEachChip(const ReaderState& st, uint32_t address, uint32_t length, Visit visit) {
  uint64_t start = 0;
  const uint64_t end = uint64_t{address} + length;
  for (const auto& chip : st.chips) {
    const uint64_t chipEnd = start + chip.size;
    const uint64_t from = std::max<uint64_t>(start, address), to = std::min(chipEnd, end);
    if (from < to) visit(chip, start, from, to);
    start = chipEnd;
  }
}

}  // namespace

uint32_t handleReadCommon(Session& s, const CommandIo& io) {
  if (s.state.isAtaCard()) return result::kInvalidOpcode;
  const MemoryCdb m = memoryFields(io);
  MappedImage* image = s.commonImage();
  if (uint32_t r = checkTransfer(io, Direction::In, m, image)) return r;
  if (m.length) std::memcpy(io.data, image->data() + m.address, m.length);
  return result::kOk;
}

uint32_t handleWriteCommon(Session& s, const CommandIo& io) {
  if (s.state.isAtaCard()) return result::kInvalidOpcode;
  const MemoryCdb m = memoryFields(io);
  MappedImage* image = s.commonImage();
  if (uint32_t r = checkTransfer(io, Direction::Out, m, image)) return r;
  if (s.state.writeProtect) return result::kWriteProtected;
  forEachChip(s.state, m.address, m.length,
              [&](const ChipSegment& chip, uint64_t, uint64_t from, uint64_t to) {
                uint8_t* cell = image->data() + from;
                const uint8_t* in = io.data + (from - m.address);
                if (chip.type == ChipType::Flash)
                  for (uint64_t i = 0; i < to - from; ++i) cell[i] &= in[i];
                else
                  std::memcpy(cell, in, to - from);
              });
  return result::kOk;
}

uint32_t handleReadAttribute(Session& s, const CommandIo& io) {
  const MemoryCdb m = memoryFields(io);
  MappedImage* image = s.attributeImage();
  if (uint32_t r = checkTransfer(io, Direction::In, m, image)) return r;
  // Odd addresses are not driven by the card; the command layer replaces them.
  for (uint32_t i = 0; i < m.length; i += 2) {
    io.data[i] = image->data()[m.address + i];
    io.data[i + 1] = 0x00;
  }
  return result::kOk;
}

uint32_t handleWriteAttribute(Session& s, const CommandIo& io) {
  const MemoryCdb m = memoryFields(io);
  MappedImage* image = s.attributeImage();
  if (uint32_t r = checkTransfer(io, Direction::Out, m, image)) return r;
  if (s.state.writeProtect) return result::kWriteProtected;
  for (uint32_t i = 0; i < m.length; i += 2) image->data()[m.address + i] = io.data[i];
  return result::kOk;
}

uint32_t handleErase(Session& s, const CommandIo& io) {
  if (io.direction != Direction::None) return result::kInvalidField;
  const MemoryCdb m = memoryFields(io);
  const bool attributeSpace = (io.cdb[1] & 0x40) != 0;
  if (!attributeSpace && s.state.isAtaCard()) return result::kInvalidOpcode;
  MappedImage* image = attributeSpace ? s.attributeImage() : s.commonImage();
  if (!image) return result::kInternalFailure;
  if (!inRange(m.address, m.length, image->size())) return result::kAddressOutOfRange;
  if (s.state.writeProtect) return result::kWriteProtected;
  if (attributeSpace) {
    for (uint32_t a = m.address + (m.address & 1); a < m.address + m.length; a += 2) image->data()[a] = 0xFF;
    return result::kOk;
  }
  forEachChip(s.state, m.address, m.length,
              [&](const ChipSegment& chip, uint64_t chipStart, uint64_t from, uint64_t to) {
                if (chip.type == ChipType::Flash) {  // whole blocks that the range touches
                  const uint64_t block = blockOf(chip);
                  from = chipStart + (from - chipStart) / block * block;
                  to = std::min<uint64_t>(chipStart + chip.size,
                                          chipStart + (to - chipStart + block - 1) / block * block);
                }
                std::memset(image->data() + from, 0xFF, to - from);
              });
  return result::kOk;
}

uint32_t handleReadCapacity(Session& s, const CommandIo& io) {
  if (io.direction != Direction::In || io.count != 8 || !io.data) return result::kInvalidField;
  const uint32_t sectors = s.state.commonSize() / 512;
  putBig32(io.data, sectors ? sectors - 1 : 0);
  putBig32(io.data + 4, 512);
  return result::kOk;
}

}  // namespace zrb2x::virt
