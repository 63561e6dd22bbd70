// erase, blank-check, fill and checksum: commands over a range of a card area.
#include "command_run.h"

#include <algorithm>
#include <cstdio>
#include <vector>
#include "card_presence.h"
#include "checksum.h"
#include "data_pattern.h"
#include "range_commands.h"

namespace tesselcmd {

using namespace tessel;

int Run::reportNotBlank() {
  const uint32_t address = *messages_.notBlankAt();
  std::string line = "not blank at " + hex(address, 8);
  // The finding names the address only; the byte itself is read back (a
  // whole word: common memory is read in words).
  uint8_t word[2] = {};
  const cardservice::SlotRequest request{area_.socket, area_.space, address & ~1u};
  if (address + 1 < area_.areaSize && session_.access().cardRead(request, word, 2) == R_SUCCESS)
    line += ": " + hex(word[address & 1], 2);
  return fail(kExitFindings, line);
}

int Run::erase() {
  if (std::optional<int> stop = openArea(true)) return *stop;
  CommandContext run = context();
  progress_.expect("erase", length(), eraseBlockFor(area_));
  if (int code = ending(eraseRange(run, start_, length()))) return code;
  if (!invocation_.check) return kExitSuccess;
  progress_.expect("blank check", length(), block());
  if (int code = ending(eraseCheckRange(run, start_, length()))) return code;
  return messages_.notBlankAt() ? reportNotBlank() : kExitSuccess;
}

int Run::blankCheck() {
  if (std::optional<int> stop = openArea(false)) return *stop;
  CommandContext run = context();
  progress_.expect("blank check", length(), block());
  if (int code = ending(eraseCheckRange(run, start_, length()))) return code;
  return messages_.notBlankAt() ? reportNotBlank() : kExitSuccess;
}

int Run::fill() {
  const std::string& given = invocation_.operands[1];
  std::optional<std::string> spelled = given;
  if (given.starts_with('"') && io_.toShiftJis) spelled = io_.toShiftJis(given);
  if (!spelled)
    return fail(kExitUsage, "the PATTERN's text '" + given + "' has a character Shift-JIS cannot spell");
  const DataPattern pattern = parseDataPattern(*spelled);
  if (pattern.empty())
    return fail(kExitUsage, "bad PATTERN '" + given + "' (hexadecimal bytes, or \"text\")");
  if (std::optional<int> stop = openArea(true)) return *stop;
  CommandContext run = context();
  progress_.expect("fill", length(), block());
  return ending(fillRange(run, start_, end_, pattern.view()));
}

int Run::checksum() {
  if (std::optional<int> stop = openArea(false)) return *stop;
  CardAccess& access = session_.access();
  RangeChecksum sums;
  std::vector<uint8_t> buffer(block());
  progress_.expect("checksum", length(), block());
  progress_.start(length() / block(), {});
  for (uint64_t done = 0; done < length();) {
    const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(length() - done, block()));
    const cardservice::SlotRequest request{area_.socket, area_.space, static_cast<uint32_t>(start_ + done)};
    if (uint16_t result = removalAware(access, area_.socket, access.cardRead(request, buffer.data(), size))) {
      progress_.close();
      return cardFailure(result);
    }
    sums.add({buffer.data(), size});
    done += size;
    progress_.step();
  }
  progress_.close();
  char line[64];
  std::snprintf(line, sizeof line, "crc32 0x%08X  sum16 0x%04X\n", static_cast<unsigned>(sums.crc32()),
                static_cast<unsigned>(sums.sum16()));
  io_.out << line;
  return kExitSuccess;
}

}  // namespace tesselcmd
