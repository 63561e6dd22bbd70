// The card window's clipboard: the text a paste accepts, the bytes a
// selection copies, and the copy state that all card windows share, so that
// a copy in one window can be pasted into another. The clipboard itself is
// the windows' business; these work on its text and on caret positions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessel {

// A paste never writes more than one page.
constexpr unsigned kPasteCapacity = 256;

enum class HexTextStatus {
  Bytes,        // one or more bytes
  Empty,        // nothing but blanks: nothing to paste, nothing to say
  NotHexBytes,  // something other than two-digit hexadecimal bytes
  TooManyBytes  // more bytes than a paste takes
};

struct HexTextResult {
  HexTextStatus status = HexTextStatus::Empty;
  unsigned count = 0;  // bytes stored; 0 unless status is Bytes
};

// Clipboard text as bytes: two hexadecimal digits per byte (either case),
// bytes separated by white space. Anything else ("0x12", "4142", a digit cut
// off by a selection) is refused as a whole, and so is text of more than
// 256 bytes, because writing part of what the user copied would put bytes
// on the card that nobody chose.
HexTextResult parseHexText(std::string_view text, std::array<uint8_t, kPasteCapacity>& buffer);

// The message for a refused text; empty for Bytes and Empty.
std::string_view hexTextMessage(HexTextStatus status);

struct ByteSpan {
  unsigned first = 0;  // byte index on the page
  unsigned count = 0;
};

// The bytes of a selection [start, end) of the hexadecimal list (positions
// as the model counts them, line ends included): every byte with a digit
// inside the selection, so that a copy never carries half a byte. nullopt
// when the selection holds no digit of a byte the area has.
std::optional<ByteSpan> dumpSelectionBytes(unsigned start, unsigned end, unsigned validBytes);
// The list's text of those whole bytes, as it stands in the list.
std::string dumpSelectionText(std::string_view dumpText, ByteSpan bytes);

// The bytes of a selection [start, end) of the character list: from the
// selection's first byte up to the byte before its end, at least one byte.
// A selection ending at a line end takes the line's last byte. nullopt for
// an empty selection or one past the area's bytes.
std::optional<ByteSpan> charSelectionBytes(unsigned start, unsigned end, unsigned validBytes);

// What a paste at `address` writes: the count shortened at the area's end,
// 0 at or past it.
uint32_t pasteLength(uint32_t address, uint32_t count, uint32_t areaSize);

// Whether the window's card takes a paste: R_SUCCESS, else the error shown
// (26 write protected; 266 for anything but SRAM and EEPROM).
uint16_t pasteRefusal(bool writeProtected, uint8_t deviceType);

enum class PasteSource {
  Nothing,        // no copy yet in this run
  CopyBuffer,     // the bytes of the last copy from the character list
  ClipboardText,  // the clipboard's text, through parseHexText
};

class CopyState {
 public:
  // The copy count that stands for "the hexadecimal list's text is on the clipboard".
  static constexpr uint16_t kTextMarker = 4096;

  // The hexadecimal list's selection went to the clipboard as text.
  void copiedHexText();
  // A selection of the character list: its bytes are kept here, and
  // `clipboardText` is the text put on the clipboard with them.
  void copiedBytes(std::span<const uint8_t> bytes, std::string clipboardText);

  // Where a paste takes its bytes, given the clipboard's text now. The copy
  // buffer only serves while the clipboard still holds what that copy put
  // there: once anything else was copied (in this program or another),
  // pasting the older bytes would write what the user no longer means.
  PasteSource pasteSource(std::string_view clipboardTextNow) const;

  uint16_t count() const { return count_; }
  std::span<const uint8_t> bytes() const;

 private:
  uint16_t count_ = 0;
  std::array<uint8_t, kPasteCapacity> buffer_{};
  std::string clipboardText_;
};

}  // namespace tessel
