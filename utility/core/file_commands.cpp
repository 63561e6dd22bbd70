#include "file_commands.h"

#include "card_presence.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "card_messages.h"
#include "command_support.h"
#include "device_tables.h"
#include "file_side_worker.h"
#include "image_file_api.h"
#include "image_file_reader.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

constexpr uint8_t kTypeEeprom = 1;
constexpr uint32_t kEepromBlock = 512;
constexpr int32_t kWrite = 'w';
constexpr int32_t kRead = 'r';

void showPosition(Progress& progress, uint64_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(address));
  progress.setPosition(text);
}

cardservice::SlotRequest requestAt(const CommandContext& context, uint32_t address) {
  return cardservice::SlotRequest{context.area.socket, context.area.space, address};
}

void removeQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(pathFromUtf8(path), ignored);
}

// Two buffers: the file side fills one while the card works on the other.
using BlockPair = std::array<std::vector<uint8_t>, 2>;

BlockPair blockPair(uint32_t size) { return {std::vector<uint8_t>(size), std::vector<uint8_t>(size)}; }

// The file is written one block behind the card on a thread of its own, so
// formatting and writing a block overlaps the card's read of the next. (With
// the library taking a byte per call, the thread competed with the access
// service for the processor and the card's reads took twice as long; with
// whole blocks it costs the card nothing measurable, bench/transfer A/B.)
uint16_t readCardIntoFile(CommandContext& context, const FileTransfer& transfer, OpenImageFile& file) {
  BlockPair buffers = blockPair(context.block);
  FileSideWorker writer;  // after the buffers: it ends before they go
  uint32_t address = transfer.start;
  uint32_t remaining = transfer.length;
  for (int slot = 0; remaining > 0; slot ^= 1) {
    if (cardStillThere(context.access, context.area.socket) != R_SUCCESS) return R_CARD_REMOVED;
    const uint32_t n = std::min(remaining, context.block);
    showPosition(context.progress, address);
    uint8_t* data = buffers[slot].data();
    const uint16_t read = context.access.cardRead(requestAt(context, address), data, n);
    if (read != R_SUCCESS) return removalAware(context.access, context.area.socket, read);
    if (!writer.wait()) return R_FILE_ERROR;
    writer.post([&files = context.files, &handle = file.handle(), data, address, n] {
      return files.putBlock(&handle, address, data, n) == 0;
    });
    address += n;
    remaining -= n;
    if (!context.progress.step()) return R_STOPPED;
  }
  return writer.wait() ? R_SUCCESS : R_FILE_ERROR;
}

// The file read one run ahead of the card: the run the card takes next is
// gathered while the card works on the one before.
class RunsAhead {
 public:
  RunsAhead(const ImageFileApi& files, HexoHandle& handle, uint32_t block)
      : reader_(files, handle), buffers_(blockPair(block)) {}

  // Starts gathering the run after the current one.
  void ask(uint32_t count) {
    const int slot = next_;
    counts_[slot] = count;
    worker_.post([this, slot] {
      addresses_[slot] = reader_.readRun(buffers_[slot].data(), counts_[slot]);
      return true;
    });
  }
  // The run asked for last: its bytes, its first address and its length (0
  // once the file had no more data).
  struct Run {
    const uint8_t* data;
    uint32_t address;
    uint32_t count;
  };
  Run take() {
    worker_.wait();
    const int slot = next_;
    next_ ^= 1;
    return {buffers_[slot].data(), addresses_[slot], counts_[slot]};
  }
  bool endedCleanly() {
    worker_.wait();
    return reader_.endedCleanly();
  }

 private:
  ImageFileReader reader_;
  BlockPair buffers_;
  std::array<uint32_t, 2> addresses_{}, counts_{};
  int next_ = 0;
  FileSideWorker worker_;  // last: it ends before what its jobs use
};

// Running out of data is the normal end only when the file ended cleanly: a
// truncated or broken text file must not pass for a complete one.
uint16_t endOfData(RunsAhead& runs) { return runs.endedCleanly() ? R_SUCCESS : R_FILE_ERROR; }

uint16_t writeFileToCard(CommandContext& context, const FileTransfer& transfer, HexoHandle& handle) {
  const uint32_t block = context.area.deviceType == kTypeEeprom ? kEepromBlock : context.block;
  RunsAhead runs(context.files, handle, block);
  const uint64_t end = uint64_t{transfer.start} + transfer.length;
  uint32_t remaining = transfer.length;
  if (remaining > 0) runs.ask(std::min(remaining, block));
  while (remaining > 0) {
    if (cardStillThere(context.access, context.area.socket) != R_SUCCESS) return R_CARD_REMOVED;
    const RunsAhead::Run run = runs.take();
    const uint32_t n = run.count;
    if (n == 0) return endOfData(runs);
    if (remaining > n) runs.ask(std::min(remaining - n, block));
    // Wide arithmetic: an offset must not wrap file data around into the range.
    const int64_t cardAddress = int64_t{run.address} + transfer.fileOffset;
    showPosition(context.progress, static_cast<uint64_t>(cardAddress));
    if (cardAddress < int64_t{transfer.start} || uint64_t(cardAddress) >= end)
      return cardservice::CS_BAD_OFFSET;
    const uint32_t address = static_cast<uint32_t>(cardAddress);
    if (address + uint64_t{n} > end) {
      const uint32_t inside = static_cast<uint32_t>(end - address);
      const uint16_t written = context.access.cardWrite(requestAt(context, address), run.data, inside);
      return written == R_SUCCESS ? uint16_t{cardservice::CS_BAD_OFFSET}
                                  : removalAware(context.access, context.area.socket, written);
    }
    const uint16_t written = context.access.cardWrite(requestAt(context, address), run.data, n);
    if (written != R_SUCCESS) return removalAware(context.access, context.area.socket, written);
    remaining -= n;
    if (!context.progress.step()) return R_STOPPED;
  }
  return R_SUCCESS;
}

struct CompareOutcome {
  uint16_t result = R_SUCCESS;
  bool differed = false;  // at least one difference was found
};

bool askToGoOn(UserMessages& messages, uint32_t address, uint8_t card, uint8_t file) {
  char line[64];
  std::snprintf(line, sizeof line, std::string(text(sid::kFileDifference)).c_str(),
                static_cast<unsigned>(address), static_cast<unsigned>(card), static_cast<unsigned>(file));
  return tessel::askToGoOn(messages, line);
}

CompareOutcome compareCardWithFile(CommandContext& context, const FileTransfer& transfer,
                                   HexoHandle& handle) {
  RunsAhead runs(context.files, handle, context.block);
  std::vector<uint8_t> fromCard(context.block);
  const uint64_t end = uint64_t{transfer.start} + transfer.length;
  CompareOutcome outcome;
  auto endWith = [&](uint16_t result) {
    outcome.result = result;
    return outcome;
  };
  uint32_t remaining = transfer.length;
  if (remaining > 0) runs.ask(std::min(remaining, context.block));
  while (remaining > 0) {
    if (cardStillThere(context.access, context.area.socket) != R_SUCCESS) return endWith(R_CARD_REMOVED);
    const RunsAhead::Run run = runs.take();
    const uint32_t n = run.count;
    if (n == 0) return endWith(endOfData(runs));
    if (remaining > n) runs.ask(std::min(remaining - n, context.block));
    const int64_t cardAddress = int64_t{run.address} + transfer.fileOffset;
    showPosition(context.progress, static_cast<uint64_t>(cardAddress));
    if (cardAddress < int64_t{transfer.start} || uint64_t(cardAddress) + n > end)
      return endWith(cardservice::CS_BAD_OFFSET);
    const uint32_t address = static_cast<uint32_t>(cardAddress);
    const uint16_t read = context.access.cardRead(requestAt(context, address), fromCard.data(), n);
    if (read != R_SUCCESS) return endWith(removalAware(context.access, context.area.socket, read));
    for (uint32_t i = 0; i < n; ++i) {
      if (fromCard[i] == run.data[i]) continue;
      outcome.differed = true;
      if (!askToGoOn(context.messages, address + i, fromCard[i], run.data[i])) return outcome;
    }
    remaining -= n;
    if (!context.progress.step()) return endWith(R_STOPPED);
  }
  return outcome;
}

}  // namespace

std::string temporaryPathFor(const std::string& target) {
  // A prefix on the file name leaves folder and extension as they are.
  const size_t folderEnd = target.find_last_of("\\/:");
  const size_t nameStart = folderEnd == std::string::npos ? 0 : folderEnd + 1;
  return target.substr(0, nameStart) + "~$" + target.substr(nameStart);
}

uint16_t cardToFile(CommandContext& context, const FileTransfer& transfer) {
  const std::string temporary = temporaryPathFor(transfer.path);
  OpenImageFile file(context.files);
  if (!file.open(temporary, kWrite, transfer.fileType)) return R_FILE_ERROR;
  uint16_t result;
  {
    ProgressRun progress(context.progress, sid::kCaptionCardToFile, transfer.length / context.block);
    result = readCardIntoFile(context, transfer, file);
  }
  // Closing writes the last record and the end record: a failure there
  // leaves a file that would read back short.
  if (file.close() != 0 && result == R_SUCCESS) result = R_FILE_ERROR;
  if (result == R_SUCCESS) {
    std::error_code error;
    std::filesystem::rename(pathFromUtf8(temporary), pathFromUtf8(transfer.path), error);
    if (error) result = R_FILE_ERROR;
  }
  if (result != R_SUCCESS) removeQuietly(temporary);
  return result;
}

uint16_t fileToCard(CommandContext& context, const FileTransfer& transfer) {
  OpenImageFile file(context.files);
  if (!file.open(transfer.path, kRead, transfer.fileType)) return R_FILE_ERROR;
  const uint32_t block = context.area.deviceType == kTypeEeprom ? kEepromBlock : context.block;
  ProgressRun progress(context.progress, sid::kCaptionFileToCard, transfer.length / block);
  const uint16_t result = writeFileToCard(context, transfer, file.handle());
  if (context.area.deviceType != kTypeAta) return result;
  return flushAfterWriting(context.access, context.area.socket, result);
}

uint16_t compareWithFile(CommandContext& context, const FileTransfer& transfer) {
  OpenImageFile file(context.files);
  if (!file.open(transfer.path, kRead, transfer.fileType)) return R_FILE_ERROR;
  CompareOutcome outcome;
  {
    ProgressRun progress(context.progress, sid::kCaptionComparing, transfer.length / context.block);
    outcome = compareCardWithFile(context, transfer, file.handle());
  }
  file.close();
  // "No differences" only for a comparison that went all the way and found
  // none: not after data outside the range, an error or a stop, and not after
  // differences the user saw and chose to pass over.
  if (!outcome.differed && outcome.result == R_SUCCESS) context.messages.showOk(text(sid::kNoDifference));
  return outcome.result;
}

}  // namespace tessel
