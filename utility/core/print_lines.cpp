#include "print_lines.h"

#include <algorithm>

#include "card_command_context.h"
#include "result_codes.h"

namespace tessel {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr size_t kLineBytes = 16;

void appendHex(std::string& out, uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

// A text device prints control characters as nothing or as anything: they
// would shift the column. DEL is one of them, so it prints as "." like the
// card window shows it.
char printable(uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.'; }

}  // namespace

std::string printLine(uint32_t address, std::span<const uint8_t> bytes) {
  const size_t count = std::min(bytes.size(), kLineBytes);
  std::string line;
  line.reserve(8 + 3 + 3 * kLineBytes + 1 + kLineBytes);
  for (int shift = 28; shift >= 0; shift -= 4) line.push_back(kHexDigits[(address >> shift) & 0x0F]);
  line += " | ";
  for (size_t i = 0; i < kLineBytes; ++i) {
    if (i < count)
      appendHex(line, bytes[i]);
    else
      line += "  ";
    line.push_back(' ');
  }
  line.push_back('|');
  for (size_t i = 0; i < count; ++i) line.push_back(printable(bytes[i]));
  return line;
}

std::vector<std::string> printLines(uint32_t address, std::span<const uint8_t> bytes) {
  std::vector<std::string> lines;
  lines.reserve((bytes.size() + kLineBytes - 1) / kLineBytes);
  for (size_t offset = 0; offset < bytes.size(); offset += kLineBytes)
    lines.push_back(printLine(address + static_cast<uint32_t>(offset),
                              bytes.subspan(offset, std::min(kLineBytes, bytes.size() - offset))));
  return lines;
}

uint16_t printRange(CardAccess& access, const cardservice::SlotRequest& area, uint32_t start, uint32_t length,
                    const std::function<bool(std::string_view line)>& print) {
  // Blocks are whole lines (64 KiB is a multiple of 16), so only the last
  // line of the range can be short.
  std::vector<uint8_t> block(std::min(length, kCommandBlock));
  for (uint32_t done = 0; done < length;) {
    const uint32_t size = std::min(length - done, kCommandBlock);
    const uint32_t address = start + done;
    const cardservice::SlotRequest request{area.socket, area.space, address};
    if (uint16_t result = access.cardRead(request, block.data(), size)) return result;
    const std::span<const uint8_t> bytes(block.data(), size);
    for (size_t offset = 0; offset < size; offset += kLineBytes) {
      const std::string line = printLine(address + static_cast<uint32_t>(offset),
                                         bytes.subspan(offset, std::min<size_t>(kLineBytes, size - offset)));
      if (!print(line)) return R_SILENT;
    }
    done += size;
  }
  return R_SUCCESS;
}

}  // namespace tessel
