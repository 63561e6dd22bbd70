// Which viewer shows a tuple, the frame every viewer shares, and the viewers
// without decoding: name only and hexadecimal dump.
#include <cctype>
#include <cstdio>
#include <iterator>

#include "decode.h"
#include "viewer_builders.h"

namespace cis {
namespace {

struct CodeViewer {
  uint8_t code;
  Viewer viewer;
};

constexpr CodeViewer kViewers[] = {
    {0x00, Viewer::Show0}, {0x03, Viewer::Show0},  {0x14, Viewer::Show0}, {0x01, Viewer::Dev},
    {0x17, Viewer::Dev},   {0x1C, Viewer::Oci},    {0x1D, Viewer::Oci},   {0x06, Viewer::Mfc},
    {0x10, Viewer::Cks},   {0x11, Viewer::Ll},     {0x12, Viewer::Ll},    {0x13, Viewer::Ltg},
    {0x15, Viewer::Lv1},   {0x16, Viewer::Altstr}, {0x18, Viewer::Jed},   {0x19, Viewer::Jed},
    {0x1A, Viewer::Cc},    {0x1B, Viewer::Ce},     {0x1E, Viewer::Dg},    {0x1F, Viewer::Dg},
    {0x20, Viewer::Mid},   {0x21, Viewer::Fid},    {0x22, Viewer::Fe},    {0x40, Viewer::Lv2},
    {0x41, Viewer::Fmt},   {0x47, Viewer::Fmt},    {0x42, Viewer::Geo},   {0x43, Viewer::Byte},
    {0x44, Viewer::Date},  {0x45, Viewer::Batt},   {0x46, Viewer::Org},
};

struct FeRow {
  unsigned function;
  uint8_t type;
  FeViewer viewer;
};

constexpr FeRow kFeViewers[] = {
    {2, 0x00, FeViewer::SerialIf}, {2, 0x08, FeViewer::SerialIf},  {2, 0x09, FeViewer::SerialIf},
    {2, 0x0A, FeViewer::SerialIf}, {2, 0x0D, FeViewer::SerialIf},  {2, 0x01, FeViewer::ModemIf},
    {2, 0x05, FeViewer::ModemIf},  {2, 0x06, FeViewer::ModemIf},   {2, 0x07, FeViewer::ModemIf},
    {2, 0x0C, FeViewer::ModemIf},  {2, 0x02, FeViewer::DataModem}, {2, 0x13, FeViewer::FaxModem},
    {2, 0x23, FeViewer::FaxModem}, {2, 0x33, FeViewer::FaxModem},  {2, 0x84, FeViewer::VoiceEncode},
    {2, 0x0B, FeViewer::Isdn},     {4, 0x01, FeViewer::DiskDdi},   {4, 0x02, FeViewer::DiskAta},
    {4, 0x03, FeViewer::DiskAta},
};

constexpr uint16_t kHexDialog = 4098;
constexpr uint16_t kNameDialog = 4097;
constexpr unsigned kBytesPerLine = 16;

}  // namespace

Viewer viewerFor(unsigned code) {
  for (const CodeViewer& row : kViewers)
    if (row.code == code) return row.viewer;
  return Viewer::ShowX;
}

FeViewer feViewerFor(unsigned functionCode, unsigned extensionType) {
  for (const FeRow& row : kFeViewers)
    if (row.function == functionCode && row.type == extensionType) return row.viewer;
  return FeViewer::Dump;
}

ViewerText viewerFrame(const CisTupleRecord& record, Layout layout, uint16_t dialogId) {
  ViewerText view;
  view.layout = layout;
  view.dialogId = dialogId;
  view.caption = tupleName(record.requestedCode);
  return view;
}

TextBlock labelBlock(uint16_t labelId, uint16_t valueId, uint16_t labelText) {
  TextBlock block;
  block.labelId = labelId;
  block.valueId = valueId;
  block.labels = splitLines(text(labelText));
  return block;
}

std::string numberedLabel(uint16_t formatId, unsigned number) { return format(formatId, number); }

ViewerText nameOnlyViewer(const CisTupleRecord& record) {
  return viewerFrame(record, Layout::NameOnly, kNameDialog);
}

std::vector<std::string> hexDumpLines(const CisTupleRecord& record) {
  TupleData data(record);
  std::vector<std::string> lines;
  for (unsigned start = 0; start < data.length(); start += kBytesPerLine) {
    std::string hex, characters;
    for (unsigned i = 0; i < kBytesPerLine; ++i) {
      unsigned offset = start + i;
      if (offset < data.length()) {
        unsigned byte = data.byte(offset);
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        hex += digits;
        // Printable in the C locale: 0x20-0x7E; anything else shows as a dot.
        characters += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
      } else {
        hex += "   ";
        characters += ' ';
      }
    }
    lines.push_back(hex + " " + characters);
  }
  return lines;
}

ViewerText hexDumpViewer(const CisTupleRecord& record) {
  ViewerText view = viewerFrame(record, Layout::HexDump, kHexDialog);
  for (unsigned row = 0; row < kTupleDataCapacity / kBytesPerLine; ++row) {
    char label[4];
    std::snprintf(label, sizeof label, "%02X", row * kBytesPerLine);
    view.hexRowLabels.push_back(label);
  }
  view.hexLines = hexDumpLines(record);
  return view;
}

ViewerText buildViewer(Viewer viewer, const CisTupleRecord& record) {
  switch (viewer) {
    case Viewer::Show0:
      return nameOnlyViewer(record);
    case Viewer::ShowX:
      return hexDumpViewer(record);
    case Viewer::Dev:
      return buildDeviceViewer(record, false);
    case Viewer::Oci:
      return buildDeviceViewer(record, true);
    case Viewer::Mfc:
      return buildMfcViewer(record);
    case Viewer::Cks:
      return buildChecksumViewer(record);
    case Viewer::Ll:
      return buildLongLinkViewer(record);
    case Viewer::Ltg:
      return buildLinkTargetViewer(record);
    case Viewer::Lv1:
      return buildLevel1Viewer(record);
    case Viewer::Altstr:
      return buildAltStringViewer(record);
    case Viewer::Jed:
      return buildJedecViewer(record);
    case Viewer::Cc:
      return buildConfigViewer(record);
    case Viewer::Ce:
      return buildConfigEntryViewer(record);
    case Viewer::Dg:
      return buildDeviceGeometryViewer(record);
    case Viewer::Mid:
      return buildManufacturerViewer(record);
    case Viewer::Fid:
      return buildFunctionIdViewer(record);
    case Viewer::Fe: {
      TupleData data(record);
      FeViewer fe = data.has(0) ? feViewerFor(record.attributeWord, data.byte(0)) : FeViewer::Dump;
      return buildFeViewer(fe, record);
    }
    case Viewer::Lv2:
      return buildLevel2Viewer(record);
    case Viewer::Fmt:
      return buildFormatViewer(record);
    case Viewer::Geo:
      return buildGeometryViewer(record);
    case Viewer::Byte:
      return buildByteOrderViewer(record);
    case Viewer::Date:
      return buildDateViewer(record);
    case Viewer::Batt:
      return buildBatteryViewer(record);
    case Viewer::Org:
      return buildOrganisationViewer(record);
  }
  return hexDumpViewer(record);
}

ViewerText buildViewerText(const CisTupleRecord& record) {
  return buildViewer(viewerFor(record.requestedCode), record);
}

}  // namespace cis
