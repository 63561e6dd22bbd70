#include "number_entry.h"

#include <string>

#include "card_messages.h"
#include "result_codes.h"

namespace tessel {
namespace {

std::string_view trimmed(std::string_view text) {
  const char* blanks = " \t";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> convertInteger(std::string_view text) {
  text = trimmed(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  bool hex = !text.empty() && text[0] == '$';
  if (hex) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;

  uint64_t value = 0;
  if (hex) {
    if (text.size() > 8) return std::nullopt;
    for (char c : text) {
      int digit = hexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0x80000000ull) return std::nullopt;
  }
  if (!negative && value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

bool parseDecimal(std::string_view text, int32_t& value, UserMessages& messages) {
  std::optional<int32_t> converted = convertInteger(text);
  if (!converted) {
    showCardError(R_BAD_NUMBER, messages);
    return false;
  }
  value = *converted;
  return true;
}

bool parseHex(std::string_view text, int32_t& value, UserMessages& messages) {
  // A leading "-" becomes the "$" itself, so "-10" reads as minus 0x10 while
  // "- 10" (a blank after the sign) and a second sign are refused.
  bool negative = !text.empty() && text[0] == '-';
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "$" + std::string.
  std::string hexText = "$";
  hexText += negative ? text.substr(1) : trimmed(text);
  std::optional<int32_t> converted = convertInteger(hexText);
  if (!converted) {
    showCardError(R_BAD_NUMBER, messages);
    return false;
  }
  value = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(*converted)) : *converted;
  return true;
}

}  // namespace tessel
