#include "tesselcmd.h"

#include "arguments.h"
#include "command_run.h"

namespace tesselcmd {
namespace {

void generalHelp(std::ostream& out) {
  out << "usage: tesselcmd COMMAND [OPERANDS] [OPTIONS] [--quiet]\n\ncommands:\n";
  for (const CommandRow& row : commandTable()) {
    std::string name(row.name);
    name.resize(13, ' ');
    out << "  " << name << row.summary << '\n';
  }
  out << "\n'tesselcmd COMMAND --help' describes one command.\n";
}

void commandHelp(std::ostream& out, const CommandRow& row) {
  out << "usage: tesselcmd " << row.name << (row.usage.empty() ? "" : " ") << row.usage << "\n"
      << row.summary << ".\n";
  out << "AREA is SOCKET[:common|:attribute][:REGION]: sockets from 1, common memory and region 0 when left "
         "out.\n"
         "Numbers are decimal, 0x... or $... hexadecimal. File types (T): bin, hex, s19, s28, s37; by "
         "default\n"
         "the file name's extension decides (.hex, .s19, .s28, .s37, else binary).\n"
         "--quiet leaves out the progress. Exit codes: 0 success, 1 differences or a byte not blank,\n"
         "2 usage, 3 card error, 4 file error.\n";
}

}  // namespace

int run(std::span<const std::string> arguments, ToolIo& io) {
  // Nothing may escape to the program's entry: a failure there is a card or
  // file failure the user has to hear about.
  try {
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.invocation) {
      if (parsed.generalHelp && parsed.error.empty()) {
        generalHelp(io.out);
        return kExitSuccess;
      }
      io.err << "tesselcmd: " << parsed.error << " (tesselcmd --help lists the commands)\n";
      return kExitUsage;
    }
    if (parsed.invocation->help) {
      commandHelp(io.out, rowOf(parsed.invocation->command));
      return kExitSuccess;
    }
    Run command(*parsed.invocation, io);
    return command.execute();
  } catch (const std::bad_alloc&) {
    io.err << "tesselcmd: out of memory\n";
  } catch (const std::exception& error) {
    io.err << "tesselcmd: " << error.what() << '\n';
  }
  return kExitCard;
}

}  // namespace tesselcmd
