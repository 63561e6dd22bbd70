// One command of tesselcmd being run: the parsed command line, the streams,
// the card session and the ports the card utility's loops report through,
// and the one way each outcome is told (a line on the error stream and the
// exit code). Each group of commands has its own source file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "arguments.h"
#include "card_command_context.h"
#include "card_session.h"
#include "result_codes.h"
#include "result_lines.h"
#include "tesselcmd.h"
#include "tool_ports.h"
#include "watched_image_files.h"

namespace tesselcmd {

// "0x" and `digits` upper-case hexadecimal digits.
std::string hex(uint32_t value, int digits);
// The file type a transfer uses: the one named, else the one the path's
// extension selects in the image file library.
int32_t resolvedType(int32_t type, const std::string& path);

class Run {
 public:
  Run(const Invocation& invocation, ToolIo& io)
      : invocation_(invocation),
        io_(io),
        watch_(io.files),
        progress_(io.err, io.errIsConsole && !invocation.quiet),
        session_(io.cards, messages_) {}

  int execute();

 private:
  int list();
  int read();
  int write();
  int verify();
  int erase();
  int blankCheck();
  int fill();
  int cis();
  int checksum();
  int convert();

  // The one line of a failure, with the exit code it gives.
  int fail(int code, const std::string& line) {
    io_.err << "tesselcmd: " << line << '\n';
    return code;
  }
  int cardFailure(uint16_t result) { return fail(kExitCard, "card error: " + cardResultLine(result)); }
  int fileFailure(const std::string& path);
  // Binds the card manager; an exit code when that fails.
  std::optional<int> bindCards();
  // A loop's result as the tool ends with it.
  int ending(uint16_t result, const std::string& path = {}) {
    if (result == tessel::R_SUCCESS) return kExitSuccess;
    return result == tessel::R_FILE_ERROR ? fileFailure(path) : cardFailure(result);
  }

  // Binds, opens the AREA operand and works out the range; an exit code
  // when that fails.
  std::optional<int> openArea(bool changesCard);
  tessel::CommandContext context() {
    return tessel::CommandContext{session_.access(), progress_, messages_, watch_.files(), area_, block()};
  }
  uint32_t block() const { return io_.block; }
  uint32_t length() const { return end_ - start_ + 1; }
  int reportDifferences();
  int reportNotBlank();

  const Invocation& invocation_;
  ToolIo& io_;
  ImageFileWatch watch_;
  CollectingMessages messages_;
  ConsoleProgress progress_;
  CardSession session_;
  tessel::CommandArea area_;
  uint32_t start_ = 0, end_ = 0;
};

}  // namespace tesselcmd
