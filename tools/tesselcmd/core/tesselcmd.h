// tesselcmd: the card utility's operations from a command line. This is its
// portable whole; the Windows program only binds the card manager and the
// image file library, and hands over its arguments and streams.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "binding/card_manager_calls.h"

struct ImageFileApi;

namespace tesselcmd {

// The size of the tool's card calls. Through the access service every call
// is a round trip of the pipe; larger calls pay it less often, up to where
// the service's own copies start to cost more (bench/tesselcmd measures the
// choice against bare loops of each size).
constexpr uint32_t kToolBlock = 256 * 1024;

struct ToolIo {
  std::ostream& out;  // what a command produces: lists, CIS text, checksums
  std::ostream& err;  // messages, one line each, and progress
  bool errIsConsole = false;
  cardservice::BindableCardManager& cards;
  const ImageFileApi& files;
  // The image file library's own text of an error code; empty when the
  // caller has none to offer.
  std::function<std::string(int32_t)> fileErrorText;
  // Everything the tool writes is UTF-8 except the CIS library's
  // descriptions, which are Shift-JIS; this turns them into UTF-8 so that
  // one stream never mixes the two. Without it the bytes pass unchanged.
  std::function<std::string(std::string_view)> fromShiftJis;
  // The other way, for the quoted text of a fill pattern: the card window
  // shows a card's bytes as Shift-JIS, so text becomes the bytes that show
  // it there. Nothing when a character has no Shift-JIS spelling. Without
  // it the UTF-8 bytes are used.
  std::function<std::optional<std::string>(std::string_view)> toShiftJis;
  uint32_t block = kToolBlock;
};

// Runs one command line (without the program's name) and returns the exit
// code: 0 success, 1 differences or a byte not blank, 2 usage, 3 card, 4 file.
int run(std::span<const std::string> arguments, ToolIo& io);

}  // namespace tesselcmd
