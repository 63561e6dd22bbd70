#include "text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace cis {
namespace {

struct TableRow {
  uint16_t id;
  const char* text;
};

constexpr TableRow kTable[] = {
#include "cis_strings_table.inc"
};

const TableRow* find(uint16_t id) {
  auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                             [](const TableRow& row, uint16_t key) { return row.id < key; });
  return it != std::end(kTable) && it->id == id ? it : nullptr;
}

}  // namespace

std::string_view text(uint16_t id) {
  const TableRow* row = find(id);
  return row ? std::string_view(row->text) : std::string_view();
}

bool hasText(uint16_t id) { return find(id) != nullptr; }

std::string format(unsigned id, ...) {
  std::string pattern(text(static_cast<uint16_t>(id)));
  va_list args;
  va_start(args, id);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, pattern.c_str(), copy);
  va_end(copy);
  std::string result;
  if (needed > 0) {
    result.resize(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(result.data(), result.size(), pattern.c_str(), args);
    result.resize(static_cast<std::size_t>(needed));
  }
  va_end(args);
  return result;
}

std::size_t fittingLength(std::string_view text, std::size_t limit) {
  std::size_t position = 0;
  while (position < text.size()) {
    std::size_t width = isLeadByte(static_cast<uint8_t>(text[position])) ? 2 : 1;
    if (position + width > limit) break;
    position += width;
  }
  return std::min(position, text.size());
}

char* putText(char* buffer, std::size_t limit, std::string_view text) {
  if (!buffer) return buffer;
  std::size_t length = fittingLength(text, limit);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return buffer;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    lines.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string join(const std::vector<std::string>& pieces, std::string_view separator) {
  std::string result;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i) result += separator;
    result += pieces[i];
  }
  return result;
}

}  // namespace cis
