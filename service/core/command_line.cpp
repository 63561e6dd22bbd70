#include "command_line.h"

#include <cctype>
#include <cstring>

namespace zrb2x::service {
namespace {

bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

}  // namespace

CommandLineAction parseCommandLine(int argc, const char* const* argv) {
  if (argc < 2 || !argv[1]) return CommandLineAction::RunService;
  const char* word = argv[1];
  if (word[0] != '-' && word[0] != '/') return CommandLineAction::RunService;
  if (equalsIgnoringCase(word + 1, "install")) return CommandLineAction::Install;
  if (equalsIgnoringCase(word + 1, "remove")) return CommandLineAction::Remove;
  return CommandLineAction::RunService;
}

}  // namespace zrb2x::service
