// The virtual reader-writer's command execution: one CDB against the reader's
// files, under the reader's lock (the caller holds it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "device_link.h"
#include "os_files.h"
#include "reader_state.h"

namespace zrb2x::virt {

// One command's view of the reader: its state and, mapped on first use, its
// images.
class Session {
 public:
  Session(std::filesystem::path folder, ReaderState state)
      : folder_(std::move(folder)), state(std::move(state)) {}
  const std::filesystem::path& folder() const { return folder_; }
  MappedImage* commonImage();     // null when missing
  MappedImage* attributeImage();  // null when missing
  void markChanged() { changed = true; }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<MappedImage> common_, attribute_;

 public:
  ReaderState state;
  bool changed = false;
};

struct CommandIo {
  const uint8_t* cdb;
  uint32_t cdbLength;
  Direction direction;
  uint8_t* data;
  uint32_t count;
};

// Whether the reader's folder and its description are free of links and
// reparse points: only then does a command touch the reader.
bool folderStaysInPlace(const std::filesystem::path& folder);

// Runs one command; the caller holds the reader's lock.
uint32_t executeVirtualCommand(const std::filesystem::path& folder, const CommandIo& io);

// Reads and writes the description; used by the tool as well.
std::optional<ReaderState> loadReaderState(const std::filesystem::path& folder);
bool saveReaderState(const std::filesystem::path& folder, const ReaderState& state);

// Handlers, one per command; each checks its own CDB fields and data phase.
uint32_t handleReadCommon(Session&, const CommandIo&);
uint32_t handleWriteCommon(Session&, const CommandIo&);
uint32_t handleReadAttribute(Session&, const CommandIo&);
uint32_t handleWriteAttribute(Session&, const CommandIo&);
uint32_t handleErase(Session&, const CommandIo&);
uint32_t handleReadCapacity(Session&, const CommandIo&);
uint32_t handleReadSectors(Session&, const CommandIo&);
uint32_t handleWriteSectors(Session&, const CommandIo&);
uint32_t handleAtaPassThrough(Session&, const CommandIo&);
uint32_t handleWriteBuffer(Session&, const CommandIo&);

}  // namespace zrb2x::virt
