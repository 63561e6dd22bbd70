// The tool's words for what went wrong: English, one line each, naming the
// result, with the card utility's own text of a card result and the image
// file library's text of a file error beside it; and the exit code each
// outcome gives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesselcmd {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitFindings = 1,  // differences, or a byte that is not blank
  kExitUsage = 2,
  kExitCard = 3,
  kExitFile = 4,
};

// The result's name ("CS_WRITE_PROTECTED") and English text; a code the
// table lacks is named by its number.
std::string resultName(uint16_t code);
std::string_view resultEnglish(uint16_t code);

// "the card is write protected (result 26 CS_WRITE_PROTECTED: <card utility's text>)"
std::string cardResultLine(uint16_t code);

// The image file library's error code in English ("checksum error").
std::string_view fileErrorEnglish(int32_t code);

}  // namespace tesselcmd
