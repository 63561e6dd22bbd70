// The tool's side of the ports through which the card utility's loops reach
// the user. Nobody sits at a message box here: the messages port collects
// what the loops find (the differences a compare asks about, the first byte
// an erase check finds not blank) and answers for the user, and the
// progress port draws a percentage and the speed on the error stream.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "user_ports.h"

namespace tesselcmd {

struct Difference {
  uint32_t address;
  uint8_t card;
  uint8_t file;
};

class CollectingMessages final : public tessel::UserMessages {
 public:
  // A compare goes on until this many differences are collected.
  static constexpr size_t kReportedDifferences = 16;

  void showOk(std::string_view text) override;
  bool askYesNo(std::string_view text) override;

  const std::vector<Difference>& differences() const { return differences_; }
  // The address an erase check reported as not blank.
  std::optional<uint32_t> notBlankAt() const { return notBlankAt_; }
  // Every other text a loop or the card access layer showed.
  const std::vector<std::string>& otherTexts() const { return other_; }

 private:
  std::vector<Difference> differences_;
  std::optional<uint32_t> notBlankAt_;
  std::vector<std::string> other_;
};

// Reads "Address=<hex>" and the "CARD=<hex>"/"FILE=<hex>" fields of the
// card utility's finding texts; nullopt when `key` is missing.
std::optional<uint32_t> hexField(std::string_view text, std::string_view key);

class ConsoleProgress final : public tessel::Progress {
 public:
  ConsoleProgress(std::ostream& err, bool shown) : err_(err), shown_(shown) {}

  // What the next loop covers, for the percentage and the speed: `label`
  // names it, `bytes` in all, `bytesPerStep` for each step of its loop.
  void expect(std::string_view label, uint64_t bytes, uint32_t bytesPerStep);

  void start(uint32_t steps, std::string_view caption) override;
  void setPosition(std::string_view) override {}
  bool step() override;
  void close() override;

 private:
  void draw(bool last);

  std::ostream& err_;
  bool shown_;
  std::string label_;
  uint64_t total_ = 0, done_ = 0;
  uint32_t perStep_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point started_, lastDrawn_;
};

}  // namespace tesselcmd
