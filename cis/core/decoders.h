// Field decoders of CIS tuples: value to text ("ItoS"), flag bit to text
// ("FtoS"), sizes, dates, string lists and the device list. Each text decoder
// writes Shift-JIS text into the caller's buffer, at most its length limit plus
// the terminator, and returns the buffer. These are the library's exports.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cis_api.h"
#include "cis_records.h"

extern "C" {

// Lookup decoders (buffer, value).
char* CIS_API CisDSpeedItoS(char* buffer, unsigned value);
char* CIS_API CisDTypeItoS(char* buffer, unsigned value);
char* CIS_API CisXDTypeItoS(char* buffer, unsigned value);
char* CIS_API CisFidFunctionItoS(char* buffer, unsigned value);
char* CIS_API CisByteOrderItoS(char* buffer, unsigned value);
char* CIS_API CisByteMapItoS(char* buffer, unsigned value);
char* CIS_API CisOrgTypeItoS(char* buffer, unsigned value);
char* CIS_API CisFmtTypeItoS(char* buffer, unsigned value);
char* CIS_API CisFmtEdcTypeItoS(char* buffer, unsigned value);
char* CIS_API CisCeIfTypeItoS(char* buffer, unsigned value);
char* CIS_API CisCeIrMaskItoS(char* buffer, unsigned value);
char* CIS_API CisCeMiDmaSignalItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpTypeIdItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpUaItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpUcItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpFcItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpMsItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpEmItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpDcItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpCmItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpExItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpEfItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpDyItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpFyItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpFmItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpFsItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpL1ItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpL2ItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpL3ItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpRaItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpSpItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpDtItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpAdItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpVdItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpEfIsdnItoS(char* buffer, unsigned value);
char* CIS_API CisFeDiskTypeItoS(char* buffer, unsigned value);
char* CIS_API CisFeDiskDdiTypeItoS(char* buffer, unsigned value);
char* CIS_API CisFeDiskAtaVppItoS(char* buffer, unsigned value);

// Code names.
char* CIS_API CisTupleItoS(char* buffer, unsigned code);
char* CIS_API CisStCeItoS(char* buffer, unsigned code);
char* CIS_API CisCcStItoS(char* buffer, unsigned code);
char* CIS_API CisLv1VersItoS(char* buffer, unsigned major, unsigned minor);

// Flag decoders (buffer, flags, bit).
char* CIS_API CisFidSysInitFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisFmtFlagFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisCeIrMaskFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisFeDiskAtaFlagFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisFeSpUcFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisFeSpFcFtoS(char* buffer, unsigned flags, unsigned bit);
char* CIS_API CisCeMiDmaWidthFtoS(char* buffer, unsigned flag);

// Speeds.
char* CIS_API CisXDSpeedItoS(char* buffer, unsigned byte);
char* CIS_API CisSDSpeedItoS(char* buffer, unsigned byte, unsigned scale);
char* CIS_API CisXDSpeedMantItoS(char* buffer, unsigned mantissa);
char* CIS_API CisXDSpeedExpItoS(char* buffer, unsigned exponent);
char* CIS_API CisDSpeedItoSEx(char* buffer, const uint8_t* bytes);

// Power parameters.
char* CIS_API CisCePdIItoS(char* buffer, unsigned byte);
char* CIS_API CisCePdVItoS(char* buffer, unsigned byte);
char* CIS_API CisCePdIMantItoS(char* buffer, unsigned mantissa);
char* CIS_API CisCePdVMantItoS(char* buffer, unsigned mantissa);
char* CIS_API CisCePdIExpItoS(char* buffer, unsigned exponent);
char* CIS_API CisCePdVExpItoS(char* buffer, unsigned exponent);
char* CIS_API CisCePdIStr(char* buffer, const uint8_t* bytes);
char* CIS_API CisCePdVStr(char* buffer, const uint8_t* bytes);
char* CIS_API CisCePdXItoS(char* buffer, unsigned byte);

// Sizes.
uint32_t CIS_API CisDSize(unsigned byte);
uint32_t CIS_API CisDgSize(unsigned code);
char* CIS_API CisDgSizeItoS(char* buffer, unsigned code);
char* CIS_API CisULtoS2(char* buffer, uint32_t value);
char* CIS_API CisULtoS2Byte(char* buffer, uint32_t value);
char* CIS_API CisFmtBkszItoS(char* buffer, uint32_t size);

// Dates, times, rates.
char* CIS_API CisDateItoS(char* buffer, unsigned value);
char* CIS_API CisTimeItoS(char* buffer, unsigned value);
char* CIS_API CisFeSpBaudWtoS(char* buffer, unsigned word);

// String list and device list.
unsigned CIS_API CisStrList(char** strings, unsigned maxCount, char* buffer, unsigned end, unsigned start);
unsigned CIS_API CisDecodeDevice(cis::CisDeviceInfo* devices, unsigned code,
                                 const cis::CisTupleRecord* record, unsigned maxCount);

}  // extern "C"
