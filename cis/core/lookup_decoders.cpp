// Value-to-name decoders: each field is a table of value ranges, either
// indexing consecutive string ids or naming one shared text.
#include <iterator>
#include <span>

#include "decode.h"
#include "decoders.h"
#include "export_guard.h"
#include "text.h"

namespace cis {
namespace {

struct Range {
  unsigned first;
  unsigned last;
  uint16_t id;
  bool indexed;  // text is id + (value - first); otherwise id for the whole range
};

struct LookupTable {
  std::size_t limit;
  unsigned mask;  // bits of the value that count (all unless the field is narrower)
  std::span<const Range> ranges;
  uint16_t outside;
};

constexpr uint16_t R = sid::kReserved;
constexpr uint16_t V = sid::kVendor;
constexpr uint16_t I = sid::kInvalid;

constexpr Range kDSpeed[] = {{0, 4, 22000, true}, {5, 6, R, false}, {7, 7, 22007, true}};
constexpr Range kDType[] = {
    {0, 7, 22100, true}, {8, 12, R, false}, {13, 14, 22113, true}, {15, 15, R, false}};
constexpr Range kFidFunction[] = {
    {0, 10, 22200, true}, {11, 253, R, false}, {254, 254, V, false}, {255, 255, sid::kOff, false}};
constexpr Range kByteOrder[] = {{0, 1, 22300, true}, {2, 127, R, false}, {128, 255, V, false}};
constexpr Range kByteMap[] = {{0, 1, 22310, true}, {2, 127, R, false}, {128, 255, V, false}};
constexpr Range kOrgType[] = {{0, 2, 22320, true}, {3, 127, R, false}, {128, 255, V, false}};
constexpr Range kFmtType[] = {{0, 1, 22330, true}, {2, 127, R, false}, {128, 255, V, false}};
constexpr Range kFmtEdcType[] = {{0, 3, 22340, true}, {4, 7, R, false}, {8, 15, V, false}};
constexpr Range kCeIfType[] = {{0, 1, 22400, true}, {2, 3, R, false}, {4, 7, 22404, true}, {8, 15, R, false}};
constexpr Range kCeIrMask[] = {{0, 7, 22420, true}};
// The DMA request signals have no texts in the table: their ids give empty text.
constexpr Range kCeMiDmaSignal[] = {{0, 4, 27200, true}};
constexpr Range kFeSpTypeId[] = {{0, 13, 23000, true}, {14, 15, R, false}};
constexpr Range kFeSpUa[] = {{0, 5, 23100, true}, {6, 31, R, false}};
constexpr Range kFeSpUc[] = {{0, 15, 23120, true}};
constexpr Range kFeSpFc[] = {{0, 7, 23140, true}};
constexpr Range kFeSpMs[] = {{0, 12, 23160, true}, {13, 15, R, false}};
constexpr Range kFeSpEm[] = {{0, 1, 23180, true}, {2, 7, R, false}};
constexpr Range kFeSpDc[] = {{0, 1, 23190, true}, {2, 7, R, false}};
constexpr Range kFeSpCm[] = {{0, 6, 23200, true}, {7, 7, R, false}};
constexpr Range kFeSpEx[] = {{0, 2, 23210, true}, {3, 7, R, false}};
constexpr Range kFeSpEf[] = {{0, 0, 23220, true}, {1, 7, R, false}};
constexpr Range kAlwaysReserved8[] = {{0, 7, R, false}};
constexpr Range kFeSpFm[] = {{0, 4, 23230, true}, {5, 7, R, false}};
constexpr Range kFeSpFs[] = {{0, 7, 23240, true}, {8, 15, R, false}};
constexpr Range kFeSpL1[] = {{0, 3, 23250, true}, {4, 7, R, false}};
constexpr Range kFeSpL2[] = {{0, 1, 23260, true}, {2, 7, R, false}};
constexpr Range kFeSpL3[] = {{0, 1, 23270, true}, {2, 7, R, false}};
constexpr Range kFeSpRa[] = {{0, 1, 23280, true}, {2, 7, R, false}};
constexpr Range kFeSpSp[] = {{0, 1, 23290, true}, {2, 7, R, false}};
constexpr Range kFeSpDt[] = {{0, 2, 23300, true}, {3, 7, R, false}};
constexpr Range kFeSpAd[] = {{0, 1, 23310, true}, {2, 7, R, false}};
constexpr Range kFeSpVd[] = {{0, 1, 23320, true}, {2, 7, R, false}};
constexpr Range kFeSpEfIsdn[] = {{0, 2, 23330, true}, {3, 7, R, false}};
constexpr Range kFeDiskType[] = {{1, 3, 23401, true}};
constexpr Range kFeDiskDdiType[] = {{1, 1, 23411, true}};
constexpr Range kFeDiskAtaVpp[] = {{0, 3, 23420, true}};

constexpr unsigned kAll = ~0u;

// In the order of the Lookup enumeration.
constexpr LookupTable kTables[] = {
    {32, kAll, kDSpeed, I},        {31, kAll, kDType, I},           {31, kAll, {}, R},
    {31, kAll, kFidFunction, I},   {31, kAll, kByteOrder, I},       {31, kAll, kByteMap, I},
    {31, kAll, kOrgType, I},       {31, kAll, kFmtType, I},         {31, kAll, kFmtEdcType, I},
    {63, kAll, kCeIfType, I},      {31, kAll, kCeIrMask, I},        {31, kAll, kCeMiDmaSignal, I},
    {63, 0x0F, kFeSpTypeId, I},    {63, kAll, kFeSpUa, I},          {63, kAll, kFeSpUc, I},
    {127, kAll, kFeSpFc, I},       {31, kAll, kFeSpMs, I},          {31, kAll, kFeSpEm, I},
    {31, kAll, kFeSpDc, I},        {31, kAll, kFeSpCm, I},          {31, kAll, kFeSpEx, I},
    {127, kAll, kFeSpEf, I},       {31, kAll, kAlwaysReserved8, I}, {31, kAll, kAlwaysReserved8, I},
    {31, kAll, kFeSpFm, I},        {31, kAll, kFeSpFs, I},          {31, kAll, kFeSpL1, I},
    {31, kAll, kFeSpL2, I},        {31, kAll, kFeSpL3, I},          {31, kAll, kFeSpRa, I},
    {31, kAll, kFeSpSp, I},        {31, kAll, kFeSpDt, I},          {31, kAll, kFeSpAd, I},
    {31, kAll, kFeSpVd, I},        {31, kAll, kFeSpEfIsdn, I},      {127, kAll, kFeDiskType, I},
    {63, kAll, kFeDiskDdiType, I}, {127, kAll, kFeDiskAtaVpp, I},
};
static_assert(std::size(kTables) == static_cast<std::size_t>(Lookup::FeDiskAtaVpp) + 1);

const LookupTable& table(Lookup lookup) { return kTables[static_cast<std::size_t>(lookup)]; }

char* put(char* buffer, Lookup lookup, unsigned value) {
  return putText(buffer, lookupLimit(lookup), lookupText(lookup, value));
}

}  // namespace

std::string lookupText(Lookup lookup, unsigned value) {
  const LookupTable& t = table(lookup);
  value &= t.mask;
  for (const Range& range : t.ranges)
    if (value >= range.first && value <= range.last)
      return std::string(
          text(static_cast<uint16_t>(range.indexed ? range.id + (value - range.first) : range.id)));
  return std::string(text(t.outside));
}

std::size_t lookupLimit(Lookup lookup) { return table(lookup).limit; }

}  // namespace cis

using cis::Lookup;

extern "C" {

char* CIS_API CisDSpeedItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::DSpeed, v); });
}
char* CIS_API CisDTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::DType, v); });
}
char* CIS_API CisXDTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::XDType, v); });
}
char* CIS_API CisFidFunctionItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FidFunction, v); });
}
char* CIS_API CisByteOrderItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::ByteOrder, v); });
}
char* CIS_API CisByteMapItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::ByteMap, v); });
}
char* CIS_API CisOrgTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::OrgType, v); });
}
char* CIS_API CisFmtTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FmtType, v); });
}
char* CIS_API CisFmtEdcTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FmtEdcType, v); });
}
char* CIS_API CisCeIfTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::CeIfType, v); });
}
char* CIS_API CisCeIrMaskItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::CeIrMask, v); });
}
char* CIS_API CisCeMiDmaSignalItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::CeMiDmaSignal, v); });
}
char* CIS_API CisFeSpTypeIdItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpTypeId, v); });
}
char* CIS_API CisFeSpUaItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpUa, v); });
}
char* CIS_API CisFeSpUcItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpUc, v); });
}
char* CIS_API CisFeSpFcItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpFc, v); });
}
char* CIS_API CisFeSpMsItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpMs, v); });
}
char* CIS_API CisFeSpEmItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpEm, v); });
}
char* CIS_API CisFeSpDcItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpDc, v); });
}
char* CIS_API CisFeSpCmItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpCm, v); });
}
char* CIS_API CisFeSpExItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpEx, v); });
}
char* CIS_API CisFeSpEfItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpEf, v); });
}
char* CIS_API CisFeSpDyItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpDy, v); });
}
char* CIS_API CisFeSpFyItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpFy, v); });
}
char* CIS_API CisFeSpFmItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpFm, v); });
}
char* CIS_API CisFeSpFsItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpFs, v); });
}
char* CIS_API CisFeSpL1ItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpL1, v); });
}
char* CIS_API CisFeSpL2ItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpL2, v); });
}
char* CIS_API CisFeSpL3ItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpL3, v); });
}
char* CIS_API CisFeSpRaItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpRa, v); });
}
char* CIS_API CisFeSpSpItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpSp, v); });
}
char* CIS_API CisFeSpDtItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpDt, v); });
}
char* CIS_API CisFeSpAdItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpAd, v); });
}
char* CIS_API CisFeSpVdItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpVd, v); });
}
char* CIS_API CisFeSpEfIsdnItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeSpEfIsdn, v); });
}
char* CIS_API CisFeDiskTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeDiskType, v); });
}
char* CIS_API CisFeDiskDdiTypeItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeDiskDdiType, v); });
}
char* CIS_API CisFeDiskAtaVppItoS(char* b, unsigned v) {
  return cis::guardText(b, [&]() -> char* { return cis::put(b, Lookup::FeDiskAtaVpp, v); });
}

}  // extern "C"
