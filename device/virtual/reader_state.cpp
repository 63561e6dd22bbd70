#include "reader_state.h"

#include <charconv>
#include <cstdio>

namespace zrb2x::virt {
namespace {

constexpr const char* kBatteryNames[] = {"good", "low", "dead"};
constexpr const char* kChipNames[] = {"sram", "eeprom", "flash", "ata"};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::optional<uint32_t> parseNumber(std::string_view s) {
  s = trim(s);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (error != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return value;
}

std::optional<bool> parseSwitch(std::string_view s) {
  if (s == "on" || s == "yes" || s == "1" || s == "present") return true;
  if (s == "off" || s == "no" || s == "0" || s == "absent") return false;
  return std::nullopt;
}

template <size_t N>
bool parseHex(std::string_view s, std::array<uint8_t, N>& out) {
  if (s.size() != 2 * N) return false;
  for (size_t i = 0; i < N; ++i) {
    auto [end, error] = std::from_chars(s.data() + 2 * i, s.data() + 2 * i + 2, out[i], 16);
    if (error != std::errc() || end != s.data() + 2 * i + 2) return false;
  }
  return true;
}

template <size_t N>
std::string formatHex(const std::array<uint8_t, N>& bytes) {
  std::string text;
  char pair[3];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

std::optional<ChipType> chipTypeFromName(std::string_view name) {
  for (size_t i = 0; i < std::size(kChipNames); ++i)
    if (name == kChipNames[i]) return static_cast<ChipType>(i);
  return std::nullopt;
}

// "type:chipId:size" items separated by commas.
std::optional<std::vector<ChipSegment>> parseChips(std::string_view s) {
  std::vector<ChipSegment> chips;
  while (!trim(s).empty()) {
    const size_t comma = s.find(',');
    std::string_view item = trim(s.substr(0, comma));
    s = comma == std::string_view::npos ? std::string_view{} : s.substr(comma + 1);
    const size_t first = item.find(':'), second = item.find(':', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) return std::nullopt;
    auto type = chipTypeFromName(item.substr(0, first));
    auto chipId = parseNumber(item.substr(first + 1, second - first - 1));
    auto size = parseNumber(item.substr(second + 1));
    if (!type || !chipId || !size || *size == 0) return std::nullopt;
    chips.push_back({*type, *chipId, *size});
  }
  uint64_t total = 0;
  for (const auto& chip : chips) total += chip.size;
  if (total > 0xFFFFFFFFu) return std::nullopt;
  return chips;
}

std::string formatChips(const std::vector<ChipSegment>& chips) {
  std::string text;
  char item[64];
  for (const auto& chip : chips) {
    std::snprintf(item, sizeof item, "%s%s:0x%04X:0x%X", text.empty() ? "" : ",", chipTypeName(chip.type),
                  static_cast<unsigned>(chip.chipId), static_cast<unsigned>(chip.size));
    text += item;
  }
  return text;
}

bool applyField(ReaderState& s, std::string_view key, std::string_view value) {
  auto number = [&](uint32_t& field) {
    auto n = parseNumber(value);
    if (n) field = *n;
    return n.has_value();
  };
  auto flag = [&](bool& field) {
    auto b = parseSwitch(value);
    if (b) field = *b;
    return b.has_value();
  };
  if (key == "product") {
    if (value != "ZRB-22G" && value != "ZRB-22H") return false;
    s.product = std::string(value);
    return true;
  }
  if (key == "revision") {
    if (value.size() != 4) return false;
    s.revision = std::string(value);
    return true;
  }
  if (key == "card") return flag(s.cardPresent);
  if (key == "protect") return flag(s.writeProtect);
  if (key == "ready") return flag(s.ready);
  if (key == "attention") return flag(s.attentionPending);
  if (key == "download_pending") return flag(s.downloadPending);
  if (key == "battery") {
    auto b = batteryFromName(value);
    if (b) s.battery = *b;
    return b.has_value();
  }
  if (key == "regions") return parseHex(value, s.regionTable);
  if (key == "taskfile") return parseHex(value, s.taskFile);
  if (key == "chips") {
    auto chips = parseChips(value);
    if (chips) s.chips = std::move(*chips);
    return chips.has_value();
  }
  if (key == "attribute_size") return number(s.attributeSize);
  if (key == "last_sense") return number(s.lastSense);
  if (key == "fail_after") return number(s.failAfter);
  if (key == "fail_result") return number(s.failResult);
  if (key == "pull_after") return number(s.pullAfter);
  if (key == "throughput") return number(s.throughput);
  if (key == "lock_wait_ms") return number(s.lockWaitMs);
  if (key == "download_length") return number(s.downloadLength);
  if (key == "download_crc") return number(s.downloadCrc);
  if (key == "last_download") {
    s.lastDownload = std::string(value);
    return true;
  }
  return true;  // unknown keys belong to a newer reader; keep going
}

}  // namespace

uint32_t ReaderState::commonSize() const {
  uint32_t total = 0;
  for (const auto& chip : chips) total += chip.size;
  return total;
}

const char* batteryName(Battery battery) { return kBatteryNames[static_cast<size_t>(battery)]; }

std::optional<Battery> batteryFromName(std::string_view name) {
  for (size_t i = 0; i < std::size(kBatteryNames); ++i)
    if (name == kBatteryNames[i]) return static_cast<Battery>(i);
  return std::nullopt;
}

const char* chipTypeName(ChipType type) { return kChipNames[static_cast<size_t>(type)]; }

std::optional<ReaderState> parseReaderState(std::string_view text) {
  ReaderState state;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    std::string_view line = trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    if (!applyField(state, trim(line.substr(0, equals)), trim(line.substr(equals + 1)))) return std::nullopt;
  }
  if (state.attributeSize & 1) return std::nullopt;
  return state;
}

std::string formatReaderState(const ReaderState& s) {
  char line[160];
  std::string text = "# virtual ZRB-2x reader-writer: change it with zrb2xvirt\n";
  auto add = [&](const char* key, const std::string& value) {
    text += std::string(key) + " = " + value + "\n";
  };
  auto hex = [&](uint32_t v) {
    std::snprintf(line, sizeof line, "0x%08X", static_cast<unsigned>(v));
    return std::string(line);
  };
  add("product", s.product);
  add("revision", s.revision);
  add("card", s.cardPresent ? "present" : "absent");
  add("protect", s.writeProtect ? "on" : "off");
  add("battery", batteryName(s.battery));
  add("ready", s.ready ? "on" : "off");
  add("attention", s.attentionPending ? "on" : "off");
  add("chips", formatChips(s.chips));
  add("attribute_size", hex(s.attributeSize));
  add("regions", formatHex(s.regionTable));
  add("taskfile", formatHex(s.taskFile));
  add("last_sense", hex(s.lastSense));
  add("fail_after", std::to_string(s.failAfter));
  add("fail_result", hex(s.failResult));
  add("pull_after", std::to_string(s.pullAfter));
  add("throughput", std::to_string(s.throughput));
  add("lock_wait_ms", std::to_string(s.lockWaitMs));
  add("download_pending", s.downloadPending ? "on" : "off");
  add("download_length", hex(s.downloadLength));
  add("download_crc", hex(s.downloadCrc));
  add("last_download", s.lastDownload);
  return text;
}

}  // namespace zrb2x::virt
