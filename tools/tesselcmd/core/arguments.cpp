#include "arguments.h"

#include <algorithm>
#include <cctype>

#include "number_entry.h"

namespace tesselcmd {
namespace {

constexpr uint16_t kRangeOptions = kOptStart | kOptEnd;

constexpr CommandRow kCommands[] = {
    {"list", Command::List, 0, 0, "", "every socket with its card's status and regions"},
    {"read", Command::Read, 2, kOptType | kRangeOptions, "AREA FILE [--type T] [--start A] [--end A]",
     "card to image file"},
    {"write", Command::Write, 2, kOptType | kRangeOptions | kOptOffset | kOptVerify,
     "AREA FILE [--type T] [--start A] [--end A] [--offset N] [--verify]", "image file to card"},
    {"verify", Command::Verify, 2, kOptType | kRangeOptions | kOptOffset,
     "AREA FILE [--type T] [--start A] [--end A] [--offset N]", "compare the card with an image file"},
    {"erase", Command::Erase, 1, kRangeOptions | kOptCheck, "AREA [--start A] [--end A] [--check]",
     "erase the range"},
    {"blank-check", Command::BlankCheck, 1, kRangeOptions, "AREA [--start A] [--end A]",
     "check that every byte of the range is 0xFF"},
    {"fill", Command::Fill, 2, kRangeOptions, "AREA PATTERN [--start A] [--end A]",
     "fill the range with a pattern (hexadecimal bytes, or \"text\")"},
    {"cis", Command::Cis, 1, kOptRaw, "SOCKET [--raw]", "the card's CIS, one block per tuple"},
    {"checksum", Command::Checksum, 1, kRangeOptions, "AREA [--start A] [--end A]",
     "CRC-32 and 16-bit byte sum of the range"},
    {"convert", Command::Convert, 2, kOptFrom | kOptTo, "IN OUT [--from T] [--to T]",
     "convert between image file formats"},
};

struct OptionRow {
  std::string_view name;
  Option option;
  bool takesValue;
};

constexpr OptionRow kOptions[] = {
    {"--type", kOptType, true},     {"--start", kOptStart, true},    {"--end", kOptEnd, true},
    {"--offset", kOptOffset, true}, {"--verify", kOptVerify, false}, {"--check", kOptCheck, false},
    {"--raw", kOptRaw, false},      {"--from", kOptFrom, true},      {"--to", kOptTo, true},
};

// Extension-free names of the library's types 0..4, in its order.
constexpr std::string_view kTypeNames[] = {"bin", "hex", "s19", "s28", "s37"};

bool equalFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<uint32_t> parseHexDigits(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

bool hasHexPrefix(std::string_view text) {
  return text.size() >= 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
}

// What an option's value sets; an error line when it does not parse.
std::string applyValue(Invocation& invocation, Option option, std::string_view name, std::string_view value) {
  auto bad = [&](std::string_view what) {
    return "bad " + std::string(what) + " for " + std::string(name) + ": '" + std::string(value) + "'";
  };
  switch (option) {
    case kOptType:
    case kOptFrom:
    case kOptTo: {
      const std::optional<int32_t> type = fileTypeNamed(value);
      if (!type) return bad("file type (bin, hex, s19, s28 or s37)");
      (option == kOptType ? invocation.type : option == kOptFrom ? invocation.from : invocation.to) = *type;
      return {};
    }
    case kOptStart:
    case kOptEnd: {
      const std::optional<uint32_t> address = parseAddress(value);
      if (!address) return bad("address");
      (option == kOptStart ? invocation.start : invocation.end) = *address;
      return {};
    }
    case kOptOffset: {
      const std::optional<int32_t> offset = parseOffset(value);
      if (!offset) return bad("offset");
      invocation.offset = *offset;
      return {};
    }
    default:
      return {};
  }
}

void applyFlag(Invocation& invocation, Option option) {
  if (option == kOptVerify) invocation.verify = true;
  if (option == kOptCheck) invocation.check = true;
  if (option == kOptRaw) invocation.raw = true;
}

}  // namespace

std::span<const CommandRow> commandTable() { return kCommands; }

const CommandRow& rowOf(Command command) {
  for (const CommandRow& row : kCommands)
    if (row.command == command) return row;
  return kCommands[0];
}

std::optional<int32_t> fileTypeNamed(std::string_view name) {
  for (size_t type = 0; type < std::size(kTypeNames); ++type)
    if (equalFolded(name, kTypeNames[type])) return static_cast<int32_t>(type);
  return std::nullopt;
}

std::optional<uint32_t> parseAddress(std::string_view text) {
  if (hasHexPrefix(text)) return parseHexDigits(text.substr(2));
  // The card utility's own conversion: decimal, or "$" and hexadecimal. Its
  // "$" form wraps into the signed range, so its bits are the address; a
  // minus sign is no address.
  if (text.find('-') != std::string_view::npos) return std::nullopt;
  const std::optional<int32_t> value = tessel::convertInteger(text);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

std::optional<int32_t> parseOffset(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view magnitude = negative ? text.substr(1) : text;
  if (hasHexPrefix(magnitude)) {
    const std::optional<uint32_t> bits = parseHexDigits(magnitude.substr(2));
    // The signed range, as the transfer dialogs' offset field takes it.
    if (!bits || *bits > (negative ? 0x80000000u : 0x7FFFFFFFu)) return std::nullopt;
    return static_cast<int32_t>(negative ? 0u - *bits : *bits);
  }
  return tessel::convertInteger(text);
}

std::optional<uint8_t> parseSocket(std::string_view text) {
  const std::optional<uint32_t> number = parseAddress(text);
  if (!number || *number < 1 || *number > 255) return std::nullopt;
  return static_cast<uint8_t>(*number - 1);
}

std::optional<AreaSpec> parseArea(std::string_view text) {
  std::vector<std::string_view> parts;
  for (size_t from = 0;;) {
    const size_t colon = text.find(':', from);
    parts.push_back(
        text.substr(from, colon == std::string_view::npos ? std::string_view::npos : colon - from));
    if (colon == std::string_view::npos) break;
    from = colon + 1;
  }
  if (parts.size() > 3) return std::nullopt;
  AreaSpec area;
  const std::optional<uint8_t> socket = parseSocket(parts[0]);
  if (!socket) return std::nullopt;
  area.socket = *socket;
  size_t next = 1;
  if (next < parts.size() && equalFolded(parts[next], "common")) {
    ++next;
  } else if (next < parts.size() && equalFolded(parts[next], "attribute")) {
    area.space = 1;
    ++next;
  }
  if (next < parts.size()) {
    // Attribute memory has no regions.
    const std::optional<uint32_t> region = parseAddress(parts[next]);
    if (area.space != 0 || !region || *region > 3) return std::nullopt;
    area.region = static_cast<uint8_t>(*region);
    ++next;
  }
  if (next != parts.size()) return std::nullopt;
  return area;
}

ParseResult parseArguments(std::span<const std::string> arguments) {
  ParseResult result;
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    result.generalHelp = true;
    if (arguments.empty()) result.error = "no command given";
    return result;
  }
  const auto row = std::find_if(std::begin(kCommands), std::end(kCommands),
                                [&](const CommandRow& r) { return r.name == arguments[0]; });
  if (row == std::end(kCommands)) {
    result.error = "unknown command '" + arguments[0] + "'";
    return result;
  }
  Invocation invocation;
  invocation.command = row->command;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      invocation.help = true;
      continue;
    }
    if (argument == "--quiet" || argument == "-q") {
      invocation.quiet = true;
      continue;
    }
    // Anything else starting "--" is an option; a lone "-" or a negative
    // number stays an operand.
    if (!argument.starts_with("--")) {
      invocation.operands.push_back(argument);
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string_view name = std::string_view(argument).substr(0, equals);
    const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const OptionRow& o) { return o.name == name; });
    if (option == std::end(kOptions)) {
      result.error = "unknown option '" + std::string(name) + "'";
      return result;
    }
    if ((row->options & option->option) == 0) {
      result.error = "option " + std::string(name) + " does not apply to " + std::string(row->name);
      return result;
    }
    if (!option->takesValue) {
      if (equals != std::string::npos) {
        result.error = "option " + std::string(name) + " takes no value";
        return result;
      }
      applyFlag(invocation, option->option);
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      result.error = "option " + std::string(name) + " needs a value";
      return result;
    }
    if (std::string error = applyValue(invocation, option->option, name, value); !error.empty()) {
      result.error = std::move(error);
      return result;
    }
  }
  if (!invocation.help && invocation.operands.size() != row->operands) {
    result.error = std::string(row->name) + " takes " + std::to_string(row->operands) + " operand" +
                   (row->operands == 1 ? "" : "s") + ", got " + std::to_string(invocation.operands.size());
    return result;
  }
  result.invocation = std::move(invocation);
  return result;
}

}  // namespace tesselcmd
