#include "result_lines.h"

#include <algorithm>
#include <iterator>

#include "texts.h"

namespace tesselcmd {
namespace {

struct ResultRow {
  uint16_t code;
  std::string_view name;
  std::string_view english;
};

// The card service's results and the card utility's own above 256.
constexpr ResultRow kResults[] = {
    {0, "OK", "success"},
    {7, "CS_BAD_OFFSET", "the file's data lies outside the range"},
    {9, "CS_READ_ERROR", "the card could not be read"},
    {10, "CS_OUT_OF_RANGE", "the address lies outside the card"},
    {11, "CS_BAD_SOCKET", "no such socket"},
    {13, "CS_NO_DEVICE", "no device at this place of the card"},
    {18, "CS_WRITE_ERROR", "the card could not be written"},
    {20, "CS_NO_CARD", "no card in the socket"},
    {21, "CS_NOT_SUPPORTED", "the card or socket does not support this"},
    {25, "CS_DEVICE_FAILURE", "the reader-writer failed"},
    {26, "CS_WRITE_PROTECTED", "the card is write protected"},
    {28, "CS_BAD_PARAMETER", "the card service refused a parameter"},
    {29, "CS_IN_USE", "the card is in use by another program"},
    {257, "R_FILE_ERROR", "the image file could not be opened, read or written"},
    {258, "R_NOT_FOUND", "not found"},
    {259, "R_NO_DEVICE", "the area has no device"},
    {260, "R_PARAMETER", "bad parameter"},
    {261, "R_BAD_NUMBER", "bad address or number"},
    {263, "R_NO_USABLE_CARD", "the card in the socket is not usable"},
    {264, "R_STOPPED", "stopped"},
    {266, "R_NOT_PASTEABLE", "this card cannot be written"},
    {268, "R_NOT_ERASABLE", "this card cannot be erased"},
    {270, "R_CARD_REMOVED", "the card was removed"},
};

// The image file library's error codes 0..12, in its order.
constexpr std::string_view kFileErrors[] = {
    "no error",       "cannot open the file",   "wrong access mode", "read error",
    "write error",    "unexpected end of file", "not a record",      "bad character in a record",
    "checksum error", "bad record type",        "addresses overlap", "address overflow",
    "unknown error",
};

const ResultRow* rowOf(uint16_t code) {
  const auto row = std::find_if(std::begin(kResults), std::end(kResults),
                                [code](const ResultRow& r) { return r.code == code; });
  return row == std::end(kResults) ? nullptr : row;
}

}  // namespace

std::string resultName(uint16_t code) {
  const ResultRow* row = rowOf(code);
  return row ? std::string(row->name) : "result " + std::to_string(code);
}

std::string_view resultEnglish(uint16_t code) {
  const ResultRow* row = rowOf(code);
  return row ? row->english : "card service error";
}

std::string cardResultLine(uint16_t code) {
  std::string line(resultEnglish(code));
  line += " (result " + std::to_string(code) + " " + resultName(code);
  const std::string_view own = tessel::resultText(code);
  if (!own.empty()) line += ": " + std::string(own);
  return line + ")";
}

std::string_view fileErrorEnglish(int32_t code) {
  const int32_t last = static_cast<int32_t>(std::size(kFileErrors)) - 1;
  return kFileErrors[code < 0 ? last : std::min(code, last)];
}

}  // namespace tesselcmd
