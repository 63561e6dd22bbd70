#include "help_choice.h"

namespace tessel {
namespace {

// The path with its extension replaced (or appended when the name has none).
std::string withExtension(std::string_view path, std::string_view extension) {
  std::size_t nameStart = path.find_last_of("\\/");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  std::size_t dot = path.find_last_of('.');
  std::string_view stem = dot != std::string_view::npos && dot >= nameStart ? path.substr(0, dot) : path;
  return std::string(stem) + std::string(extension);
}

}  // namespace

HelpChoice chooseHelp(std::string_view programPath, const std::function<bool(const std::string&)>& exists) {
  std::string chm = withExtension(programPath, ".chm");
  if (exists(chm)) return {false, chm, "hh \"" + chm + "\""};
  std::string hlp = withExtension(programPath, ".hlp");
  if (exists(hlp)) return {true, hlp, {}};
  return {false, "tessel.chm", "hh tessel.chm"};
}

}  // namespace tessel
