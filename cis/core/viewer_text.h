// What each tuple viewer shows, built from a tuple record without any window:
// the dialog, its caption, label and value texts per control, selector
// entries, sub-item pages and the hexadecimal dump. The dialog procedures only
// move these texts into their controls; CisDescribe prints them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cis_records.h"
#include "control_ids.h"

namespace cis {

// Control identifiers shared by the library's dialogs (defined once, in
// control_ids.h, which the resource script includes too).
namespace control {
inline constexpr uint16_t kOk = 1;
inline constexpr uint16_t kShow = CIS_ID_SHOW;
inline constexpr uint16_t kSelector = CIS_ID_SELECTOR;
inline constexpr uint16_t kValue1 = CIS_ID_VALUE1;
inline constexpr uint16_t kTupleList = CIS_ID_TUPLE_LIST;
inline constexpr uint16_t kList1 = CIS_ID_LIST1;
inline constexpr uint16_t kItemList = CIS_ID_ITEM_LIST;
inline constexpr uint16_t kSelectorLabel = CIS_ID_SELECTOR_LABEL;
inline constexpr uint16_t kLabel1 = CIS_ID_LABEL1;
inline constexpr uint16_t kHexHeader = CIS_ID_HEX_HEADER;
inline constexpr uint16_t kHexRows = CIS_ID_HEX_ROWS;
}  // namespace control

enum class Layout { NameOnly, HexDump, Columns, Selector, TwoColumn };

// One label column with the value control beside it.
struct TextBlock {
  uint16_t labelId = 0;  // 0: a plain label without identifier
  uint16_t valueId = 0;
  bool list = false;  // the value control is a list box: one item per value line
  bool labelEnabled = true;
  std::vector<std::string> labels;
  std::vector<std::string> values;  // one line per field; missing data leave lines out
};

// A two-column page (labels beside values) opened from a sub-item list.
struct Page {
  uint16_t dialogId = 0;
  std::string caption;
  std::vector<std::string> labels;
  std::vector<std::string> values;
};

struct SubItem {
  std::string text;
  Page page;
};

struct ViewerText {
  Layout layout = Layout::NameOnly;
  uint16_t dialogId = 0;
  std::string caption;
  std::vector<TextBlock> blocks;
  // Selector viewers: entry -> block -> value lines (blocks[i].values stay empty).
  std::string selectorLabel;
  std::vector<std::vector<std::vector<std::string>>> entries;
  // Configuration viewers: list 307 of sub-items, each with its page.
  bool hasItems = false;
  uint16_t itemsLabelId = 323;
  std::string itemsLabel;
  std::vector<SubItem> items;
  // Hexadecimal dump: row labels beside the lines.
  std::vector<std::string> hexRowLabels;
  std::vector<std::string> hexLines;
};

// Viewers by tuple code, in the order of the selection table.
enum class Viewer {
  Show0,
  ShowX,
  Dev,
  Oci,
  Mfc,
  Cks,
  Ll,
  Ltg,
  Lv1,
  Altstr,
  Jed,
  Cc,
  Ce,
  Dg,
  Mid,
  Fid,
  Fe,
  Lv2,
  Fmt,
  Geo,
  Byte,
  Date,
  Batt,
  Org,
};
Viewer viewerFor(unsigned code);

enum class FeViewer { Dump, SerialIf, ModemIf, DataModem, FaxModem, VoiceEncode, Isdn, DiskDdi, DiskAta };
FeViewer feViewerFor(unsigned functionCode, unsigned extensionType);

// The texts of `viewer` for `record` (the viewer's own rules, whatever the code).
ViewerText buildViewer(Viewer viewer, const CisTupleRecord& record);
ViewerText buildFeViewer(FeViewer viewer, const CisTupleRecord& record);
// The texts the library shows for `record`: viewer chosen by the code at offset 4.
ViewerText buildViewerText(const CisTupleRecord& record);

// Pieces shared by the viewer builders.
ViewerText nameOnlyViewer(const CisTupleRecord& record);
ViewerText hexDumpViewer(const CisTupleRecord& record);
std::vector<std::string> hexDumpLines(const CisTupleRecord& record);

// Line break inside value texts of the dialogs.
inline constexpr const char* kValueLineBreak = "\r\r\n";

}  // namespace cis
