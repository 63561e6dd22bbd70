// Viewers of the tuples with fixed fields: device lists, links, versions,
// identifiers, format, geometry, byte order, dates and organisation. Each line
// of a value text is one field; data that end early leave the rest empty.
#include "decode.h"
#include "viewer_builders.h"

namespace cis {
namespace {

using control::kLabel1;
using control::kValue1;

constexpr unsigned kMaxEntries = 4;

// Format types of the format tuple's first byte.
constexpr unsigned kFormatTypeDisk = 0, kFormatTypeMemory = 1;

std::string hex2(unsigned value) { return format(sid::kFmtHex2H, value); }
std::string hex4(unsigned value) { return format(sid::kFmtHex4H, value); }
std::string hex7(uint32_t value) { return format(sid::kFmtLHex7H, static_cast<unsigned long>(value)); }
std::string decimal(unsigned value) { return format(sid::kFmtU, value); }

// A column viewer with one block 321/289.
ViewerText singleBlock(const CisTupleRecord& record, uint16_t dialogId, uint16_t labels) {
  ViewerText view = viewerFrame(record, Layout::Columns, dialogId);
  view.blocks.push_back(labelBlock(kLabel1, kValue1, labels));
  return view;
}

// Card-supplied character shown beside its code: control and non-ASCII bytes
// as a dot, so a NUL or half a double-byte character cannot cut the text.
int printable(unsigned byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<int>(byte) : '.'; }

// Two-column viewers list strings with their labels.
ViewerText stringColumns(const CisTupleRecord& record, uint16_t dialogId) {
  ViewerText view = viewerFrame(record, Layout::TwoColumn, dialogId);
  TextBlock block;
  block.labelId = kLabel1;
  block.valueId = kValue1;
  view.blocks.push_back(block);
  return view;
}

}  // namespace

ViewerText buildDeviceViewer(const CisTupleRecord& record, bool otherConditions) {
  ViewerText view = viewerFrame(record, Layout::Selector, otherConditions ? 4156 : 4115);
  view.selectorLabel = text(sid::kLblArea);
  view.blocks.push_back(labelBlock(kLabel1, kValue1, sid::kLblDevice));
  if (otherConditions) view.blocks.push_back(labelBlock(kLabel1 + 1, kValue1 + 1, sid::kLblDeviceOc));
  TupleData data(record);
  CisDeviceInfo devices[kMaxEntries];
  unsigned count = decodeDevices(record.requestedCode, data.bytes(), data.length(), devices, kMaxEntries);
  for (unsigned i = 0; i < count; ++i) {
    const CisDeviceInfo& device = devices[i];
    std::vector<std::vector<std::string>> entry(view.blocks.size());
    entry[0] = {deviceSpeedText(device.speedCode, device.extendedSpeed),
                std::string(text(device.writeProtect ? sid::kOff : sid::kOn)),
                lookupText(Lookup::DType, device.typeCode), sizeBytesText(device.size)};
    if (otherConditions && device.hasOtherConditions)
      entry[1] = {std::string(text(device.waitSignal ? sid::kUsed : sid::kUnused)),
                  std::string(text(static_cast<uint16_t>(sid::kVcc5V + device.vccCode)))};
    view.entries.push_back(std::move(entry));
  }
  return view;
}

ViewerText buildMfcViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4154, sid::kLblMfc);
  view.layout = Layout::Selector;
  view.selectorLabel = text(sid::kLblFunction);
  TupleData data(record);
  unsigned count = data.byte(0);
  for (unsigned i = 0; i < count && i < kMaxEntries; ++i) {
    unsigned offset = 1 + 5 * i;
    if (!data.has(offset)) break;
    std::vector<std::string> lines{
        std::string(text(data.byte(offset) == 0 ? sid::kAttribute : sid::kCommon))};
    if (data.has(offset + 1, 4)) lines.push_back(hex7(data.le(offset + 1, 4)));
    view.entries.push_back({lines});
  }
  return view;
}

ViewerText buildJedecViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4148, sid::kLblJedec);
  view.layout = Layout::Selector;
  view.selectorLabel = text(sid::kLblArea);
  TupleData data(record);
  for (unsigned i = 0; i < data.length() / 2 && i < kMaxEntries; ++i) {
    unsigned manufacturer = data.byte(2 * i), device = data.byte(2 * i + 1);
    if (manufacturer == 0xFF || device == 0xFF) break;
    view.entries.push_back({{hex2(manufacturer), hex2(device)}});
  }
  return view;
}

ViewerText buildDeviceGeometryViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4116, sid::kLblGeometryDevice);
  view.layout = Layout::Selector;
  view.selectorLabel = text(sid::kLblArea);
  TupleData data(record);
  // Products of the size codes can outgrow 32 bits: such a size shows as invalid.
  auto size = [](uint64_t value) {
    return value > 0xFFFFFFFFu ? std::string(text(sid::kInvalid))
                               : sizeBytesText(static_cast<uint32_t>(value));
  };
  for (unsigned i = 0; i < data.length() / 6 && i < kMaxEntries; ++i) {
    unsigned base = 6 * i;
    uint64_t bus = geometrySize(data.byte(base));
    uint64_t interleave = geometrySize(data.byte(base + 5));
    uint64_t erase = geometrySize(data.byte(base + 1)) * interleave * bus;
    uint64_t read = geometrySize(data.byte(base + 2)) * interleave * bus;
    uint64_t write = geometrySize(data.byte(base + 3)) * interleave * bus;
    uint64_t partition = geometrySize(data.byte(base + 4)) * erase;
    view.entries.push_back({{size(bus), size(erase), size(read), size(write), size(partition),
                             format(sid::kFmtLu, static_cast<unsigned long>(interleave))}});
  }
  return view;
}

ViewerText buildChecksumViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4113, sid::kLblChecksum);
  TupleData data(record);
  auto& values = view.blocks[0].values;
  uint32_t address = record.address;
  if (!data.has(0, 2)) return view;
  uint32_t start = static_cast<uint32_t>(static_cast<int16_t>(data.le(0, 2)) * 2) + address;
  values.push_back(hex7(start));
  if (!data.has(2, 2)) return view;
  values.push_back(hex7(start + data.le(2, 2) * 2));
  if (data.has(4)) values.push_back(hex2(data.byte(4)));
  return view;
}

ViewerText buildLongLinkViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4149, sid::kLblLinkAddress);
  TupleData data(record);
  if (data.has(0, 4)) view.blocks[0].values.push_back(hex7(data.le(0, 4)));
  return view;
}

ViewerText buildLinkTargetViewer(const CisTupleRecord& record) {
  ViewerText view = viewerFrame(record, Layout::Columns, 4151);
  TextBlock block;
  block.labelId = kLabel1;
  block.valueId = kValue1;
  block.labels.assign(3, std::string(text(sid::kLblTag)));
  TupleData data(record);
  for (unsigned i = 0; i < 3 && data.has(i); ++i)
    block.values.push_back(format(sid::kFmtCharHex, printable(data.byte(i)), data.byte(i)));
  view.blocks.push_back(block);
  return view;
}

ViewerText buildLevel1Viewer(const CisTupleRecord& record) {
  ViewerText view = stringColumns(record, 4152);
  TextBlock& block = view.blocks[0];
  TupleData data(record);
  block.labels.push_back(std::string(text(sid::kLblVersion)));
  if (!data.has(0, 2)) return view;
  block.values.push_back(level1VersionText(data.byte(0), data.byte(1)));
  std::vector<std::string> strings = readStrings(data.bytes(), data.length(), 2, kTupleDataCapacity);
  for (unsigned i = 0; i < strings.size(); ++i) {
    block.labels.push_back(i == 0   ? std::string(text(sid::kLblManufacturerName))
                           : i == 1 ? std::string(text(sid::kLblProductName))
                                    : numberedLabel(sid::kLblAdditionalInfo, i - 1));
    block.values.push_back(strings[i]);
  }
  return view;
}

ViewerText buildAltStringViewer(const CisTupleRecord& record) {
  ViewerText view = stringColumns(record, 4099);
  TextBlock& block = view.blocks[0];
  TupleData data(record);
  std::vector<std::string> strings = readStrings(data.bytes(), data.length(), 0, kTupleDataCapacity);
  for (unsigned i = 0; i < strings.size(); ++i) {
    block.labels.push_back(i == 0 ? std::string(text(sid::kLblEscapeSequence))
                                  : numberedLabel(sid::kLblReplacement, i));
    block.values.push_back(strings[i]);
  }
  return view;
}

ViewerText buildManufacturerViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4155, sid::kLblManufacturerId);
  TupleData data(record);
  for (unsigned word = 0; word < 2 && data.has(2 * word, 2); ++word)
    view.blocks[0].values.push_back(hex4(data.le(2 * word, 2)));
  return view;
}

ViewerText buildFunctionIdViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4144, sid::kLblFunctionId);
  TupleData data(record);
  auto& values = view.blocks[0].values;
  if (!data.has(0)) return view;
  values.push_back(lookupText(Lookup::FidFunction, data.byte(0)));
  if (!data.has(1)) return view;
  values.push_back(flagText(FlagSet::FidSysInit, data.byte(1), 0));
  values.push_back(flagText(FlagSet::FidSysInit, data.byte(1), 1));
  return view;
}

ViewerText buildLevel2Viewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4153, sid::kLblVersion2);
  TupleData data(record);
  auto& values = view.blocks[0].values;
  for (unsigned i = 0; i < 2 && data.has(i); ++i) values.push_back(hex2(data.byte(i)));
  if (values.size() < 2) return view;
  for (unsigned offset = 2; offset <= 6 && data.has(offset, 2); offset += 2)
    values.push_back(hex4(data.le(offset, 2)));
  if (values.size() < 5 || !data.has(8)) return view;
  values.push_back(hex2(data.byte(8)));
  for (const std::string& s : readStrings(data.bytes(), data.length(), 9, 2)) values.push_back(s);
  return view;
}

ViewerText buildFormatViewer(const CisTupleRecord& record) {
  TupleData data(record);
  // Only format type 1 is a memory format; the disk layout (block size, block
  // count, error-detection location) applies to every other type, including
  // types the decoder does not know. The dialog keeps its number by type.
  const unsigned type = data.byte(0);
  const bool memory = type == kFormatTypeMemory;
  ViewerText view = singleBlock(record, type == kFormatTypeDisk ? 4145 : 4146, sid::kLblFormat);
  auto& first = view.blocks[0].values;
  if (data.has(0)) first.push_back(lookupText(Lookup::FmtType, data.byte(0)));
  if (data.has(1)) {
    first.push_back(lookupText(Lookup::FmtEdcType, (data.byte(1) >> 3) & 0x0F));
    first.push_back(decimal(data.byte(1) & 7));
    if (data.has(2, 4)) first.push_back(hex7(data.le(2, 4)));
    if (data.has(2, 4) && data.has(6, 4)) first.push_back(hex7(data.le(6, 4)));
  }
  // The second group needs the tuple's full body; its labels stay disabled otherwise.
  bool second = data.has(0, 13);
  if (memory) {
    TextBlock flags = labelBlock(0, kValue1 + 1, sid::kLblFormatFlags);
    TextBlock addresses = labelBlock(kLabel1 + 2, kValue1 + 2, sid::kLblFormatMemory);
    addresses.labelEnabled = second;
    if (second) {
      flags.values = {flagText(FlagSet::FmtFlag, data.byte(10), 0),
                      flagText(FlagSet::FmtFlag, data.byte(10), 1)};
      if (data.has(12, 4)) addresses.values.push_back(hex7(data.le(12, 4)));
      if (data.has(12, 8)) addresses.values.push_back(hex7(data.le(16, 4)));
    }
    view.blocks.push_back(flags);
    view.blocks.push_back(addresses);
  } else {
    TextBlock disk = labelBlock(kLabel1 + 1, kValue1 + 1, sid::kLblFormatDisk);
    disk.labelEnabled = second;
    if (second) {
      disk.values.push_back(blockSizeText(data.le(10, 2)));
      if (data.has(12, 4)) disk.values.push_back(sizeText(data.le(12, 4)));
      if (data.has(12, 8)) disk.values.push_back(hex7(data.le(16, 4)));
    }
    view.blocks.push_back(disk);
  }
  return view;
}

ViewerText buildGeometryViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4147, sid::kLblGeometry);
  TupleData data(record);
  auto& values = view.blocks[0].values;
  for (unsigned i = 0; i < 2 && data.has(i); ++i) values.push_back(decimal(data.byte(i)));
  if (values.size() == 2 && data.has(2, 2)) values.push_back(decimal(data.le(2, 2)));
  return view;
}

ViewerText buildByteOrderViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4102, sid::kLblByteOrder);
  TupleData data(record);
  if (data.has(0)) view.blocks[0].values.push_back(lookupText(Lookup::ByteOrder, data.byte(0)));
  if (data.has(1)) view.blocks[0].values.push_back(lookupText(Lookup::ByteMap, data.byte(1)));
  return view;
}

ViewerText buildDateViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4114, sid::kLblDate);
  TupleData data(record);
  if (data.has(0, 4)) view.blocks[0].values = {dateText(data.le(2, 2)), timeText(data.le(0, 2))};
  return view;
}

ViewerText buildBatteryViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4101, sid::kLblBattery);
  TupleData data(record);
  for (unsigned word = 0; word < 2 && data.has(2 * word, 2); ++word)
    view.blocks[0].values.push_back(dateText(data.le(2 * word, 2)));
  return view;
}

ViewerText buildOrganisationViewer(const CisTupleRecord& record) {
  ViewerText view = singleBlock(record, 4157, sid::kLblOrganisation);
  TupleData data(record);
  if (!data.has(0)) return view;
  view.blocks[0].values.push_back(lookupText(Lookup::OrgType, data.byte(0)));
  for (const std::string& s : readStrings(data.bytes(), data.length(), 1, 1))
    view.blocks[0].values.push_back(s);
  return view;
}

}  // namespace cis
