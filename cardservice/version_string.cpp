#include "version_string.h"

namespace cardservice {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

VersionNumbers parseVersionString(std::string_view text) {
  VersionNumbers result;
  size_t at = 0;
  for (int index = 0; index < 4; ++index) {
    while (at < text.size() && !isDigit(text[at])) ++at;
    if (at >= text.size()) break;
    uint32_t value = 0;
    while (at < text.size() && isDigit(text[at])) {
      // Wraps like the unsigned arithmetic of the original reader; no
      // version resource carries numbers anywhere near this.
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
      ++at;
    }
    result.number[index] = value;
    if (at >= text.size()) {
      result.count = index + 1;
      break;
    }
    const char next = text[at];
    if (next != ' ' && next != '.' && next != ',') break;  // stored, not counted
    result.count = index + 1;
  }
  return result;
}

}  // namespace cardservice
