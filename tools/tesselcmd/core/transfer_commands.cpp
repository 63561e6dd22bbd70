// read, write and verify: transfers between a card area and an image file.
#include "command_run.h"

#include "file_commands.h"
#include "hexo_core.h"

namespace tesselcmd {

using namespace tessel;

namespace {

constexpr uint8_t kTypeEeprom = 1;
constexpr uint32_t kEepromBlock = 512;

// A binary file holds no addresses: its first byte goes to the range's
// start. Text files carry their own.
std::optional<FileTransfer> transferFor(const Invocation& invocation, uint32_t start, uint32_t length) {
  const std::string& path = invocation.operands[1];
  const int32_t type = resolvedType(invocation.type, path);
  int64_t offset = invocation.offset;
  if (type == hexo::TYPE_BINARY) offset += start;
  if (offset < INT32_MIN || offset > INT32_MAX) return std::nullopt;
  return FileTransfer{start, length, path, type, static_cast<int32_t>(offset)};
}

}  // namespace

int32_t resolvedType(int32_t type, const std::string& path) {
  return type == kTypeByExtension ? static_cast<int32_t>(hexo::typeFromPath(path.c_str())) : type;
}

int Run::read() {
  if (std::optional<int> stop = openArea(false)) return *stop;
  const std::string& path = invocation_.operands[1];
  CommandContext run = context();
  progress_.expect("read", length(), block());
  return ending(cardToFile(run, {start_, length(), path, resolvedType(invocation_.type, path), 0}), path);
}

int Run::reportDifferences() {
  for (const Difference& d : messages_.differences())
    io_.err << "tesselcmd: difference at " << hex(d.address, 8) << ": card " << hex(d.card, 2) << ", file "
            << hex(d.file, 2) << '\n';
  if (messages_.differences().size() >= CollectingMessages::kReportedDifferences)
    io_.err << "tesselcmd: comparison stopped after " << messages_.differences().size() << " differences\n";
  return kExitFindings;
}

int Run::write() {
  if (std::optional<int> stop = openArea(true)) return *stop;
  const std::optional<FileTransfer> transfer = transferFor(invocation_, start_, length());
  if (!transfer) return fail(kExitUsage, "the offset takes the file beyond the address range");
  CommandContext run = context();
  progress_.expect("write", length(), area_.deviceType == kTypeEeprom ? kEepromBlock : block());
  if (int code = ending(fileToCard(run, *transfer), transfer->path)) return code;
  if (!invocation_.verify) return kExitSuccess;
  progress_.expect("verify", length(), block());
  if (int code = ending(compareWithFile(run, *transfer), transfer->path)) return code;
  return messages_.differences().empty() ? kExitSuccess : reportDifferences();
}

int Run::verify() {
  if (std::optional<int> stop = openArea(false)) return *stop;
  const std::optional<FileTransfer> transfer = transferFor(invocation_, start_, length());
  if (!transfer) return fail(kExitUsage, "the offset takes the file beyond the address range");
  CommandContext run = context();
  progress_.expect("verify", length(), block());
  if (int code = ending(compareWithFile(run, *transfer), transfer->path)) return code;
  return messages_.differences().empty() ? kExitSuccess : reportDifferences();
}

}  // namespace tesselcmd
