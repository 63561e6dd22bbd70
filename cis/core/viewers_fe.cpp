// Function-extension viewers: serial port, modem, data modem, facsimile,
// voice, ISDN, disk and ATA extensions, chosen by function code and type.
#include "decode.h"
#include "viewer_builders.h"

namespace cis {
namespace {

using control::kLabel1;
using control::kValue1;

ViewerText frame(const CisTupleRecord& record, uint16_t dialogId,
                 std::initializer_list<uint16_t> labelTexts) {
  ViewerText view = viewerFrame(record, Layout::Columns, dialogId);
  uint16_t index = 0;
  for (uint16_t labels : labelTexts) {
    view.blocks.push_back(
        labelBlock(static_cast<uint16_t>(kLabel1 + index), static_cast<uint16_t>(kValue1 + index), labels));
    ++index;
  }
  return view;
}

// Names of the set bits of `bits` (width bits), joined with ", ".
std::string bitNames(Lookup lookup, unsigned bits, unsigned width) {
  std::vector<std::string> names;
  for (unsigned bit = 0; bit < width; ++bit)
    if (bits & (1u << bit)) names.push_back(lookupText(lookup, bit));
  return join(names, ", ");
}

std::string countryCodes(const TupleData& data, unsigned from) {
  std::vector<std::string> codes;
  for (unsigned offset = from; data.has(offset) && data.byte(offset) != 0xFF; ++offset)
    codes.push_back(format(sid::kFmtHex2H, data.byte(offset)));
  return join(codes, ", ");
}

// Extension type and EIA/TIA service class of byte 0.
std::vector<std::string> typeAndClass(const TupleData& data) {
  if (!data.has(0)) return {};
  return {lookupText(Lookup::FeSpTypeId, data.byte(0) & 0x0F), format(sid::kFmtHex2H, data.byte(0) >> 4)};
}

ViewerText serialInterface(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4129, {sid::kLblExtTypeClass, sid::kLblUart, sid::kLblUartCapability});
  view.blocks[2].valueId = control::kList1;
  view.blocks[2].list = true;
  TupleData data(record);
  view.blocks[0].values = typeAndClass(data);
  if (!data.has(1)) return view;
  view.blocks[1].values = {lookupText(Lookup::FeSpUa, data.byte(1))};
  if (!data.has(2, 2)) return view;
  unsigned capabilities = data.le(2, 2);
  for (unsigned bit = 0; bit <= 14; ++bit)
    if (bit < 4 || bit >= 8) view.blocks[2].values.push_back(flagText(FlagSet::FeSpUc, capabilities, bit));
  return view;
}

ViewerText modemInterface(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4128, {sid::kLblExtTypeClass, sid::kLblFlowControl, sid::kLblBufferSizes});
  TupleData data(record);
  view.blocks[0].values = typeAndClass(data);
  if (!data.has(1)) return view;
  for (unsigned bit = 0; bit <= 4; ++bit)
    view.blocks[1].values.push_back(flagText(FlagSet::FeSpFc, data.byte(1), bit));
  auto& sizes = view.blocks[2].values;
  if (data.has(2)) sizes.push_back(sizeBytesText(data.byte(2) * 4 + 4));
  if (data.has(2) && data.has(3, 3)) sizes.push_back(sizeBytesText(data.le(3, 3)));
  if (data.has(2) && data.has(6, 3)) sizes.push_back(sizeBytesText(data.le(6, 3)));
  return view;
}

ViewerText dataModem(const CisTupleRecord& record) {
  ViewerText view =
      frame(record, 4119, {sid::kLblExtType, sid::kLblMaxBitRate, sid::kLblDataModem, sid::kLblCountryCodes});
  TupleData data(record);
  if (!data.has(0)) return view;
  view.blocks[0].values = {lookupText(Lookup::FeSpTypeId, data.byte(0))};
  if (!data.has(1, 2)) return view;
  view.blocks[1].values = {baudText(data.le(1, 2))};
  auto& lists = view.blocks[2].values;
  if (!data.has(3, 2)) return view;
  lists.push_back(bitNames(Lookup::FeSpMs, data.le(3, 2), 16));
  const Lookup byteLists[] = {Lookup::FeSpEm, Lookup::FeSpDc, Lookup::FeSpCm,
                              Lookup::FeSpEx, Lookup::FeSpDy, Lookup::FeSpEf};
  for (unsigned i = 0; i < 6; ++i) {
    if (!data.has(5 + i)) return view;
    lists.push_back(bitNames(byteLists[i], data.byte(5 + i), 8));
  }
  view.blocks[3].values = {countryCodes(data, 11)};
  return view;
}

ViewerText faxModem(const CisTupleRecord& record) {
  ViewerText view =
      frame(record, 4122, {sid::kLblExtTypeClass, sid::kLblMaxBitRate, sid::kLblFax, sid::kLblCountryCodes});
  TupleData data(record);
  view.blocks[0].values = typeAndClass(data);
  if (!data.has(1, 2)) return view;
  view.blocks[1].values = {baudText(data.le(1, 2))};
  auto& lists = view.blocks[2].values;
  if (!data.has(3)) return view;
  lists.push_back(bitNames(Lookup::FeSpFm, data.byte(3), 8));
  if (!data.has(4)) return view;
  lists.push_back(bitNames(Lookup::FeSpFy, data.byte(4), 8));
  if (!data.has(5, 2)) return view;
  lists.push_back(bitNames(Lookup::FeSpFs, data.le(5, 2), 16));
  view.blocks[3].values = {countryCodes(data, 7)};
  return view;
}

ViewerText voiceEncoding(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4130, {sid::kLblExtTypeClass, sid::kLblMaxBitRate, sid::kLblVoice});
  TupleData data(record);
  view.blocks[0].values = typeAndClass(data);
  if (!data.has(1, 2)) return view;
  view.blocks[1].values = {baudText(data.le(1, 2))};
  unsigned pos = 3;
  // Two lists of "whole.fraction" pairs, then compression codes; each list ends with a 0 byte.
  for (int list = 0; list < 3; ++list) {
    std::vector<std::string> items;
    bool ended = false;
    while (data.has(pos)) {
      unsigned value = data.byte(pos++);
      if (value == 0) {
        ended = true;
        break;
      }
      if (list == 2) {
        items.push_back(format(sid::kFmtHex2H, value));
      } else {
        if (!data.has(pos)) break;
        items.push_back(format(sid::kFmtDecimal2, value, data.byte(pos++)));
      }
    }
    view.blocks[2].values.push_back(join(items, ", "));
    if (!ended) break;
  }
  return view;
}

ViewerText isdn(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4125,
                          {sid::kLblExtType, sid::kLblIsdnProtocols, sid::kLblMaxBitRate, sid::kLblIsdnModem,
                           sid::kLblCountryCodes});
  TupleData data(record);
  if (!data.has(0)) return view;
  view.blocks[0].values = {lookupText(Lookup::FeSpTypeId, data.byte(0))};
  const Lookup protocols[] = {Lookup::FeSpL1, Lookup::FeSpL2, Lookup::FeSpL3, Lookup::FeSpRa,
                              Lookup::FeSpSp, Lookup::FeSpDt, Lookup::FeSpAd, Lookup::FeSpVd};
  auto& lines = view.blocks[1].values;
  for (unsigned i = 0; i < 8; ++i) {
    if (!data.has(1 + i)) return view;
    lines.push_back(bitNames(protocols[i], data.byte(1 + i), 8));
  }
  if (!data.has(9)) return view;
  unsigned endUser = data.byte(9);
  std::vector<std::string> features;
  for (unsigned bit = 0; bit < 3; ++bit)
    if (endUser & (1u << bit)) features.push_back(lookupText(Lookup::FeSpEfIsdn, bit));
  features.push_back(format(sid::kFmtAnalogPorts, (endUser >> 3) & 0x0F));
  lines.push_back(join(features, ", "));
  if (!data.has(10, 2)) return view;
  view.blocks[2].values = {baudText(data.le(10, 2))};
  const Lookup modem[] = {Lookup::FeSpDc, Lookup::FeSpCm, Lookup::FeSpEx};
  for (unsigned i = 0; i < 3; ++i) {
    if (!data.has(12 + i)) return view;
    view.blocks[3].values.push_back(bitNames(modem[i], data.byte(12 + i), 8));
  }
  view.blocks[4].values = {countryCodes(data, 15)};
  return view;
}

ViewerText diskInterface(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4118, {sid::kLblExtType, sid::kLblInterfaceType});
  TupleData data(record);
  if (data.has(0)) view.blocks[0].values = {lookupText(Lookup::FeDiskType, data.byte(0))};
  if (data.has(1)) view.blocks[1].values = {lookupText(Lookup::FeDiskDdiType, data.byte(1))};
  return view;
}

ViewerText ata(const CisTupleRecord& record) {
  ViewerText view = frame(record, 4117, {sid::kLblExtType, sid::kLblAta});
  TupleData data(record);
  if (data.has(0)) view.blocks[0].values = {lookupText(Lookup::FeDiskType, data.byte(0))};
  if (!data.has(1, 2)) return view;
  unsigned features = data.le(1, 2);
  auto& lines = view.blocks[1].values;
  lines.push_back(lookupText(Lookup::FeDiskAtaVpp, features & 3));
  for (unsigned bit : {2u, 3u, 4u, 8u, 9u, 10u, 11u, 12u, 13u, 14u})
    lines.push_back(flagText(FlagSet::FeDiskAtaFlag, features, bit));
  return view;
}

}  // namespace

ViewerText buildFeViewer(FeViewer viewer, const CisTupleRecord& record) {
  switch (viewer) {
    case FeViewer::SerialIf:
      return serialInterface(record);
    case FeViewer::ModemIf:
      return modemInterface(record);
    case FeViewer::DataModem:
      return dataModem(record);
    case FeViewer::FaxModem:
      return faxModem(record);
    case FeViewer::VoiceEncode:
      return voiceEncoding(record);
    case FeViewer::Isdn:
      return isdn(record);
    case FeViewer::DiskDdi:
      return diskInterface(record);
    case FeViewer::DiskAta:
      return ata(record);
    case FeViewer::Dump:
      break;
  }
  return hexDumpViewer(record);
}

}  // namespace cis
