// The decoding rules behind the exported decoders, as functions returning the
// Shift-JIS text, so the viewers build their texts from the very same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cis_records.h"

namespace cis {

enum class Lookup {
  DSpeed,
  DType,
  XDType,
  FidFunction,
  ByteOrder,
  ByteMap,
  OrgType,
  FmtType,
  FmtEdcType,
  CeIfType,
  CeIrMask,
  CeMiDmaSignal,
  FeSpTypeId,
  FeSpUa,
  FeSpUc,
  FeSpFc,
  FeSpMs,
  FeSpEm,
  FeSpDc,
  FeSpCm,
  FeSpEx,
  FeSpEf,
  FeSpDy,
  FeSpFy,
  FeSpFm,
  FeSpFs,
  FeSpL1,
  FeSpL2,
  FeSpL3,
  FeSpRa,
  FeSpSp,
  FeSpDt,
  FeSpAd,
  FeSpVd,
  FeSpEfIsdn,
  FeDiskType,
  FeDiskDdiType,
  FeDiskAtaVpp,
};
std::string lookupText(Lookup lookup, unsigned value);
std::size_t lookupLimit(Lookup lookup);  // length limit of the exported decoder

std::string tupleName(unsigned code);
std::string configEntrySubtupleName(unsigned code);
std::string configSubtupleName(unsigned code);
std::string level1VersionText(unsigned major, unsigned minor);

enum class FlagSet { FidSysInit, FmtFlag, CeIrMask, FeDiskAtaFlag, FeSpUc, FeSpFc };
std::string flagText(FlagSet set, unsigned flags, unsigned bit);
std::string dmaWidthText(unsigned flag);

std::string extendedSpeedText(unsigned byte, unsigned scale = 0);
std::string speedMantissaText(unsigned mantissa);
std::string speedExponentText(unsigned exponent);
std::string deviceSpeedText(unsigned code, unsigned extendedByte);

enum class Quantity { Current, Voltage };
std::string powerText(Quantity quantity, unsigned byte);
std::string powerMantissaText(Quantity quantity, unsigned mantissa);
std::string powerExponentText(Quantity quantity, unsigned exponent);
// A power parameter and its extension bytes, reading no more than `available`
// bytes; `consumed` receives how many bytes the parameter occupies.
std::string powerTextWithExtension(Quantity quantity, const uint8_t* bytes, std::size_t available,
                                   std::size_t* consumed = nullptr);
std::string powerExtensionText(unsigned byte);

uint32_t deviceSize(unsigned byte);
uint32_t geometrySize(unsigned code);
std::string geometrySizeText(unsigned code);
std::string sizeText(uint32_t value);
std::string sizeBytesText(uint32_t value);
std::string blockSizeText(uint32_t size);

std::string dateText(unsigned value);
std::string timeText(unsigned value);
std::string baudText(unsigned word);

// The string-list scan: strings in buffer[start, end) up to 0xFF; a 0xFF that
// ends a string becomes its NUL. Offsets of up to maxCount strings are stored
// (one more may be stored for a string the end cut short, which is not counted).
unsigned scanStrings(uint8_t* buffer, unsigned end, unsigned start, unsigned maxCount, unsigned* offsets);
// The same scan on a copy of the data, returning the strings.
std::vector<std::string> readStrings(const uint8_t* data, unsigned end, unsigned start, unsigned maxCount);

// Devices of a device-information tuple (codes 0x01, 0x17, 0x1C, 0x1D).
unsigned decodeDevices(unsigned code, const uint8_t* data, unsigned length, CisDeviceInfo* devices,
                       unsigned maxCount);

}  // namespace cis
