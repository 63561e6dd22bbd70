// The command line of tesselcmd: one table of commands with the operands and
// options each takes, numbers in the forms the card utility's users type,
// and the AREA operand that names a socket's memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tesselcmd {

enum class Command { List, Read, Write, Verify, Erase, BlankCheck, Fill, Cis, Checksum, Convert };

// Options as bits, so that each command's row lists the ones it takes.
enum Option : uint16_t {
  kOptType = 1 << 0,
  kOptStart = 1 << 1,
  kOptEnd = 1 << 2,
  kOptOffset = 1 << 3,
  kOptVerify = 1 << 4,
  kOptCheck = 1 << 5,
  kOptRaw = 1 << 6,
  kOptFrom = 1 << 7,
  kOptTo = 1 << 8,
};

struct CommandRow {
  std::string_view name;
  Command command;
  uint8_t operands;
  uint16_t options;
  std::string_view usage;    // after the command's name
  std::string_view summary;  // one line
};

std::span<const CommandRow> commandTable();
const CommandRow& rowOf(Command command);

// Image file types as the image file library numbers them; kTypeByExtension
// lets the path's extension decide.
constexpr int32_t kTypeByExtension = 5;
std::optional<int32_t> fileTypeNamed(std::string_view name);

struct Invocation {
  Command command = Command::List;
  bool help = false;
  bool quiet = false;
  std::vector<std::string> operands;
  int32_t type = kTypeByExtension, from = kTypeByExtension, to = kTypeByExtension;
  std::optional<uint32_t> start, end;
  int32_t offset = 0;
  bool verify = false, check = false, raw = false;
};

struct ParseResult {
  std::optional<Invocation> invocation;  // nullopt: a usage error or the general help
  bool generalHelp = false;              // no command, or --help in its place
  std::string error;                     // one line naming what is wrong
};

ParseResult parseArguments(std::span<const std::string> arguments);

// An address: decimal, 0x... hexadecimal (up to eight digits) or the card
// utility's $... form; never negative.
std::optional<uint32_t> parseAddress(std::string_view text);
// A signed offset in the same forms, with an optional leading "-".
std::optional<int32_t> parseOffset(std::string_view text);

// SOCKET[:common|:attribute][:REGION], sockets counted from 1, regions from 0.
struct AreaSpec {
  uint8_t socket = 0;  // from 0, as the card manager counts
  uint8_t space = 0;   // 0 common, 1 attribute
  uint8_t region = 0;
};
std::optional<AreaSpec> parseArea(std::string_view text);
std::optional<uint8_t> parseSocket(std::string_view text);

}  // namespace tesselcmd
