// The card window's transfers between a card area and a memory image file:
// their block loops, run with the progress window. Each returns the 16-bit
// result that the window shows (0 shows nothing).
#pragma once

#include <cstdint>
#include <string>

#include "card_command_context.h"

namespace tessel {

// Where a file transfer reads or writes, and how the file's addresses meet
// the card's: card address = file address + offset.
struct FileTransfer {
  uint32_t start = 0;
  uint32_t length = 0;
  std::string path;
  int32_t fileType = 5;    // 0..4, or any other value: chosen by the extension
  int32_t fileOffset = 0;  // not used by card to file
};

// Reads the range into a new file. The file is written beside the target
// under a temporary name and takes the target's place only when every byte
// and the file's closing succeeded, so a failed or stopped transfer leaves
// an earlier file of that name as it was.
uint16_t cardToFile(CommandContext& context, const FileTransfer& transfer);

// Writes the file's data into the range (EEPROM in 512-byte blocks). Data
// outside the range ends it with 7, after the part inside has been written.
uint16_t fileToCard(CommandContext& context, const FileTransfer& transfer);

// Compares the file's data with the card, asking at each difference whether
// to go on; tells the user when a complete comparison found none.
uint16_t compareWithFile(CommandContext& context, const FileTransfer& transfer);

// The temporary file that card to file writes before it replaces `target`:
// the same folder, the same extension (so that "chosen by extension" still
// chooses the target's type).
std::string temporaryPathFor(const std::string& target);

}  // namespace tessel
