#include "tool_ports.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tesselcmd {

std::optional<uint32_t> hexField(std::string_view text, std::string_view key) {
  const size_t at = text.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  uint32_t value = 0;
  size_t digits = 0;
  for (size_t i = at + key.size(); i < text.size() && digits < 8; ++i, ++digits) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isxdigit(c)) break;
    value = value << 4 | static_cast<uint32_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  if (digits == 0) return std::nullopt;
  return value;
}

void CollectingMessages::showOk(std::string_view text) {
  // The erase check's finding is the one closing text carrying an address.
  if (std::optional<uint32_t> address = hexField(text, "Address=")) {
    if (!notBlankAt_) notBlankAt_ = *address;
    return;
  }
  other_.emplace_back(text);
}

bool CollectingMessages::askYesNo(std::string_view text) {
  const std::optional<uint32_t> address = hexField(text, "Address=");
  const std::optional<uint32_t> card = hexField(text, "CARD=");
  const std::optional<uint32_t> file = hexField(text, "FILE=");
  if (!address || !card || !file) {
    // No question but a compare's is expected; declining is the safe answer.
    other_.emplace_back(text);
    return false;
  }
  differences_.push_back({*address, static_cast<uint8_t>(*card), static_cast<uint8_t>(*file)});
  return differences_.size() < kReportedDifferences;
}

void ConsoleProgress::expect(std::string_view label, uint64_t bytes, uint32_t bytesPerStep) {
  label_ = label;
  total_ = bytes;
  perStep_ = bytesPerStep;
}

void ConsoleProgress::start(uint32_t, std::string_view) {
  done_ = 0;
  drawn_ = false;
  started_ = lastDrawn_ = std::chrono::steady_clock::now();
}

bool ConsoleProgress::step() {
  done_ = std::min<uint64_t>(total_, done_ + perStep_);
  if (!shown_) return true;
  // A few redraws a second are enough to read and cost nothing.
  const auto now = std::chrono::steady_clock::now();
  if (!drawn_ || now - lastDrawn_ >= std::chrono::milliseconds(200)) draw(false);
  return true;
}

void ConsoleProgress::close() {
  if (!shown_) return;
  done_ = total_;
  draw(true);
}

void ConsoleProgress::draw(bool last) {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const unsigned percent = total_ == 0 ? 100 : static_cast<unsigned>(done_ * 100 / total_);
  char line[96];
  if (seconds > 0)
    std::snprintf(line, sizeof line, "\r%s %3u%% %7.2f MB/s", label_.c_str(), percent,
                  static_cast<double>(done_) / 1e6 / seconds);
  else
    std::snprintf(line, sizeof line, "\r%s %3u%%", label_.c_str(), percent);
  err_ << line;
  if (last) err_ << '\n';
  err_.flush();
  drawn_ = true;
  lastDrawn_ = now;
}

}  // namespace tesselcmd
