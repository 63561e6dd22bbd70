#include "describe.h"

#include <algorithm>
#include <cstring>

#include "text.h"

namespace cis {
namespace {

constexpr const char* kLineEnd = "\r\n";

// Labels beside values line by line; a single label stands for every line of a list.
void appendFields(std::string& out, const std::vector<std::string>& labels,
                  const std::vector<std::string>& values) {
  bool shared = labels.size() == 1 && values.size() > 1;
  std::size_t lines = shared ? values.size() : std::max(labels.size(), values.size());
  for (std::size_t i = 0; i < lines; ++i) {
    const std::string& label = shared ? labels[0] : i < labels.size() ? labels[i] : std::string();
    out += label;
    out += ": ";
    if (i < values.size()) out += values[i];
    out += kLineEnd;
  }
}

void appendLine(std::string& out, const std::string& label, const std::string& value) {
  out += label + ": " + value + kLineEnd;
}

}  // namespace

std::string describe(const ViewerText& view) {
  std::string out = view.caption + kLineEnd;
  switch (view.layout) {
    case Layout::NameOnly:
      break;
    case Layout::HexDump:
      for (std::size_t i = 0; i < view.hexLines.size(); ++i)
        appendLine(out, view.hexRowLabels[i], view.hexLines[i]);
      break;
    case Layout::Selector:
      for (std::size_t entry = 0; entry < view.entries.size(); ++entry) {
        appendLine(out, view.selectorLabel, std::to_string(entry + 1));
        for (std::size_t b = 0; b < view.blocks.size(); ++b)
          appendFields(out, view.blocks[b].labels, view.entries[entry][b]);
      }
      break;
    case Layout::Columns:
    case Layout::TwoColumn:
      for (const TextBlock& block : view.blocks) appendFields(out, block.labels, block.values);
      for (const SubItem& item : view.items) {
        appendLine(out, view.itemsLabel, item.text);
        appendFields(out, item.page.labels, item.page.values);
      }
      break;
  }
  return out;
}

std::string describeRecord(const CisTupleRecord& record) { return describe(buildViewerText(record)); }

}  // namespace cis

extern "C" unsigned CIS_API CisDescribe(const cis::CisTupleRecord* record, char* buffer, unsigned size) {
  try {
    std::string text = record ? cis::describeRecord(*record) : std::string();
    if (buffer && size > 0) {
      std::size_t length = cis::fittingLength(text, size - 1);
      std::memcpy(buffer, text.data(), length);
      buffer[length] = '\0';
    }
    return static_cast<unsigned>(text.size() + 1);
  } catch (...) {
    // Out of memory is the only failure: an empty text.
    if (buffer && size > 0) buffer[0] = '\0';
    return 1;
  }
}
