// What a card window's long operation runs with: the card access layer, the
// area it works on, the progress window and the user's messages, and the
// image file library. The block loops of the transfer, erase, fill, move and
// card-to-card commands take this and nothing of the window, so that the
// command-line tool runs the very same loops.
#pragma once

#include <cstdint>

#include "card_access.h"
#include "user_ports.h"

struct ImageFileApi;

namespace tessel {

struct CommandArea {
  uint8_t socket = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint8_t area = 0;   // 0..3 region, 4 attribute memory
  uint8_t deviceType = 0;
  uint32_t eraseUnit = 0;
  uint32_t areaSize = 0;
};

// The block of every loop except writing an EEPROM area and erasing, as the
// card utility moves data: its progress window steps once per block.
constexpr uint32_t kCommandBlock = 0x10000;

struct CommandContext {
  CardAccess& access;
  Progress& progress;
  UserMessages& messages;
  const ImageFileApi& files;
  CommandArea area;
  // The size of the card calls of the transfer, fill, move and card-to-card
  // loops. Through the access service a call costs a round trip of the pipe,
  // so a program that shows no progress per block (the command-line tool)
  // moves larger ones.
  uint32_t block = kCommandBlock;
};

}  // namespace tessel
