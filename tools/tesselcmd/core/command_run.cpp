// Dispatch, and what every command shares: its area and its failures.
#include "command_run.h"

#include <cstdio>

#include "file_commands.h"

namespace tesselcmd {

using namespace tessel;

namespace {

// A file is written under a temporary name first; the user knows it by the
// name given.
std::string shownPath(const std::string& failed, const std::string& given) {
  if (failed.empty() || failed == temporaryPathFor(given)) return given;
  return failed;
}

}  // namespace

std::string hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

int Run::execute() {
  switch (invocation_.command) {
    case Command::List:
      return list();
    case Command::Read:
      return read();
    case Command::Write:
      return write();
    case Command::Verify:
      return verify();
    case Command::Erase:
      return erase();
    case Command::BlankCheck:
      return blankCheck();
    case Command::Fill:
      return fill();
    case Command::Cis:
      return cis();
    case Command::Checksum:
      return checksum();
    case Command::Convert:
      return convert();
  }
  return kExitUsage;
}

int Run::fileFailure(const std::string& path) {
  const std::optional<FileError>& error = watch_.firstError();
  if (!error) return fail(kExitFile, "file error: cannot write '" + path + "'");
  std::string line = "file error: " + std::string(fileErrorEnglish(error->code)) + " in '" +
                     shownPath(error->path, path) + "'";
  if (error->line > 0 && error->code > 4) line += " at line " + std::to_string(error->line);
  line += " (image file error " + std::to_string(error->code);
  if (io_.fileErrorText) {
    const std::string library = io_.fileErrorText(error->code);
    if (!library.empty()) line += ": " + library;
  }
  return fail(kExitFile, line + ")");
}

std::optional<int> Run::bindCards() {
  if (session_.bind()) return std::nullopt;
  // What the card access layer said about a manager that answered its
  // information call with a failure; nothing when the library did not load.
  std::string line = "card error: the card manager cannot be used";
  for (const std::string& said : messages_.otherTexts()) line += " (" + said + ")";
  return fail(kExitCard, line);
}

std::optional<int> Run::openArea(bool changesCard) {
  const std::optional<AreaSpec> spec = parseArea(invocation_.operands[0]);
  if (!spec)
    return fail(kExitUsage,
                "bad AREA '" + invocation_.operands[0] + "' (SOCKET[:common|:attribute][:REGION])");
  if (std::optional<int> stop = bindCards()) return *stop;
  if (uint16_t result = session_.open(*spec, area_)) return cardFailure(result);
  // The card would refuse too, but only after the file was opened and the
  // first block sent; the card window refuses these commands up front.
  if (changesCard && (session_.status(spec->socket) & cardservice::STATUS_WRITE_PROTECTED) != 0)
    return cardFailure(cardservice::CS_WRITE_PROTECTED);
  start_ = invocation_.start.value_or(0);
  end_ = invocation_.end.value_or(area_.areaSize - 1);
  if (start_ > end_ || end_ >= area_.areaSize)
    return fail(kExitUsage, "range " + hex(start_, 8) + ".." + hex(end_, 8) +
                                " does not lie within the area's " + std::to_string(area_.areaSize) +
                                " bytes");
  return std::nullopt;
}

}  // namespace tesselcmd
