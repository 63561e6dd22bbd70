// Speeds, power parameters, sizes, dates, times and baud rates: mantissa and
// exponent codes turned into digits with a unit prefix and letter.
#include <string_view>

#include "decode.h"
#include "decoders.h"
#include "export_guard.h"
#include "text.h"

namespace cis {
namespace {

constexpr std::size_t kNumberLimit = 127;

// Pair 0 stands for a reserved mantissa; pairs 1-16 are 1.0 to 9.0 without the point.
constexpr std::string_view kMantissaDigits = "**10121315202530354045505560708090";
constexpr unsigned kMantissaPairs = 17;

std::string_view pair(unsigned index) { return kMantissaDigits.substr(2 * index, 2); }

std::string prefix(unsigned id) {
  // An exponent beyond tera has no prefix text; the digits still show.
  return id <= sid::kPrefixTera ? std::string(text(static_cast<uint16_t>(id))) : std::string();
}

// Digits of a mantissa pair placed by the exponent's remainder: 2.5, 25 or 250.
std::string placeDigits(std::string_view digits, unsigned remainder) {
  std::string out;
  out += digits[0];
  if (remainder == 0) out += '.';
  out += digits[1];
  if (remainder == 2) out += '0';
  return out;
}

std::string scaled(std::string_view digits, unsigned shiftedExponent, unsigned prefixBase, uint16_t unit) {
  return placeDigits(digits, shiftedExponent % 3) + prefix(prefixBase + shiftedExponent / 3) +
         std::string(text(unit));
}

struct PowerUnit {
  unsigned shift;
  unsigned prefixBase;
  uint16_t letter;
};

PowerUnit powerUnit(Quantity quantity) {
  return quantity == Quantity::Current ? PowerUnit{2, sid::kPrefixNano, sid::kUnitAmpere}
                                       : PowerUnit{1, sid::kPrefixMicro, sid::kUnitVolt};
}

std::string pointed(std::string_view digits) { return std::string(1, digits[0]) + "." + digits[1]; }

}  // namespace

std::string extendedSpeedText(unsigned byte, unsigned scale) {
  unsigned mantissa = (byte >> 3) & 0x0F;
  if ((byte & 0x80) || mantissa == 0) return std::string(text(sid::kReserved));
  return scaled(pair(mantissa), (byte & 7) + scale, sid::kPrefixNano, sid::kUnitSecond);
}

std::string speedMantissaText(unsigned mantissa) {
  if (mantissa >= kMantissaPairs) return std::string(text(sid::kInvalid));
  return pointed(pair(mantissa));
}

std::string speedExponentText(unsigned exponent) {
  return "1" + std::string(exponent % 3, '0') + prefix(sid::kPrefixNano + exponent / 3) +
         std::string(text(sid::kUnitSecond));
}

std::string deviceSpeedText(unsigned code, unsigned extendedByte) {
  return code == 7 ? extendedSpeedText(extendedByte) : lookupText(Lookup::DSpeed, code);
}

std::string powerText(Quantity quantity, unsigned byte) {
  PowerUnit unit = powerUnit(quantity);
  return scaled(pair(((byte >> 3) & 0x0F) + 1), (byte & 7) + unit.shift, unit.prefixBase, unit.letter);
}

std::string powerMantissaText(Quantity, unsigned mantissa) {
  if (mantissa + 1 >= kMantissaPairs) return std::string(text(sid::kInvalid));
  return pointed(pair(mantissa + 1));
}

std::string powerExponentText(Quantity quantity, unsigned exponent) {
  PowerUnit unit = powerUnit(quantity);
  unsigned shifted = exponent + unit.shift;
  return "1" + std::string(shifted % 3, '0') + prefix(unit.prefixBase + shifted / 3) +
         std::string(text(unit.letter));
}

std::string powerTextWithExtension(Quantity quantity, const uint8_t* bytes, std::size_t available,
                                   std::size_t* consumed) {
  if (consumed) *consumed = available ? 1 : 0;
  if (!bytes || available == 0) return std::string();
  unsigned first = bytes[0];
  bool haveExtension = false;
  unsigned extension = 0;
  std::size_t position = 1;
  if (first & 0x80) {
    while (position < available) {
      unsigned byte = bytes[position++];
      if ((byte & 0x7F) < 100) {
        haveExtension = true;
        extension = byte & 0x7F;
      }
      if (!(byte & 0x80)) break;
    }
  }
  if (consumed) *consumed = position;
  if (!haveExtension) return powerText(quantity, first);
  PowerUnit unit = powerUnit(quantity);
  std::string_view digits = pair(((first >> 3) & 0x0F) + 1);
  unsigned shifted = (first & 7) + unit.shift;
  char tens = static_cast<char>('0' + extension / 10);
  char units = static_cast<char>('0' + extension % 10);
  std::string number(1, digits[0]);
  switch (shifted % 3) {
    case 0:
      number += {'.', tens, units};
      break;
    case 1:
      number += {tens, '.', units};
      break;
    default:
      number += {tens, units};
      break;
  }
  return number + prefix(unit.prefixBase + shifted / 3) + std::string(text(unit.letter));
}

std::string powerExtensionText(unsigned byte) {
  unsigned value = byte & 0x7F;
  if (value < 100) return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  if (value >= 0x7D) return std::string(text(static_cast<uint16_t>(25000 + (value - 0x7D))));
  return std::string(text(sid::kReserved));
}

uint32_t deviceSize(unsigned byte) {
  unsigned code = byte & 7;
  if (code == 7) return 0;
  uint32_t units = ((byte >> 3) & 0x1F) + 1;
  return units * 512u << (2 * code);
}

uint32_t geometrySize(unsigned code) {
  // Codes beyond 32 would need more than 32 bits: treated like the invalid 0.
  if (code == 0 || code > 32) return 0;
  return uint32_t{1} << (code - 1);
}

std::string geometrySizeText(unsigned code) {
  uint32_t size = geometrySize(code);
  if (size == 0) return std::string(text(sid::kInvalid));
  return format(sid::kFmtLu, static_cast<unsigned long>(size));
}

std::string sizeText(uint32_t value) {
  constexpr uint32_t kMega = 1024 * 1024, kKilo = 1024;
  if (value != 0 && value % kMega == 0)
    return format(sid::kFmtLu, static_cast<unsigned long>(value / kMega)) +
           std::string(text(sid::kPrefixMega));
  if (value != 0 && value % kKilo == 0)
    return format(sid::kFmtLu, static_cast<unsigned long>(value / kKilo)) +
           std::string(text(sid::kPrefixKilo));
  return format(sid::kFmtLu, static_cast<unsigned long>(value)) + std::string(text(sid::kPrefixOne));
}

std::string sizeBytesText(uint32_t value) { return sizeText(value) + std::string(text(sid::kUnitByte)); }

std::string blockSizeText(uint32_t size) {
  return size == 0 ? std::string(text(sid::kUnformatted)) : sizeBytesText(size);
}

std::string dateText(unsigned value) {
  value &= 0xFFFF;
  if (value == 0) return std::string(text(sid::kInvalid));
  return format(sid::kFmtDate, (1980 + (value >> 9)) % 100, (value >> 5) & 0x0F, value & 0x1F);
}

std::string timeText(unsigned value) {
  value &= 0xFFFF;
  if (value == 0) return std::string(text(sid::kInvalid));
  return format(sid::kFmtTime, value >> 11, (value >> 5) & 0x3F, (value & 0x1F) * 2);
}

std::string baudText(unsigned word) {
  unsigned low = word & 0xFF, high = (word >> 8) & 0xFF;
  return format(sid::kFmtLu, static_cast<unsigned long>(((low & 7) * 256 + high) * 75));
}

}  // namespace cis

using cis::Quantity;

extern "C" {

char* CIS_API CisXDSpeedItoS(char* b, unsigned byte) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::extendedSpeedText(byte)); });
}
char* CIS_API CisSDSpeedItoS(char* b, unsigned byte, unsigned scale) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::extendedSpeedText(byte, scale)); });
}
char* CIS_API CisXDSpeedMantItoS(char* b, unsigned m) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::speedMantissaText(m)); });
}
char* CIS_API CisXDSpeedExpItoS(char* b, unsigned e) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::speedExponentText(e)); });
}
char* CIS_API CisDSpeedItoSEx(char* b, const uint8_t* bytes) {
  return cis::guardText(b, [&]() -> char* {
    if (!bytes) return cis::putText(b, cis::kNumberLimit, cis::text(cis::sid::kInvalid));
    return cis::putText(b, cis::kNumberLimit, cis::deviceSpeedText(bytes[0], bytes[0] == 7 ? bytes[1] : 0));
  });
}

char* CIS_API CisCePdIItoS(char* b, unsigned byte) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerText(Quantity::Current, byte));
  });
}
char* CIS_API CisCePdVItoS(char* b, unsigned byte) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerText(Quantity::Voltage, byte));
  });
}
char* CIS_API CisCePdIMantItoS(char* b, unsigned m) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerMantissaText(Quantity::Current, m));
  });
}
char* CIS_API CisCePdVMantItoS(char* b, unsigned m) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerMantissaText(Quantity::Voltage, m));
  });
}
char* CIS_API CisCePdIExpItoS(char* b, unsigned e) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerExponentText(Quantity::Current, e));
  });
}
char* CIS_API CisCePdVExpItoS(char* b, unsigned e) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit, cis::powerExponentText(Quantity::Voltage, e));
  });
}
// The exported forms get no length with the bytes: a parameter with its
// extensions lies inside one tuple, so no more than a tuple's 256 bytes are read.
char* CIS_API CisCePdIStr(char* b, const uint8_t* bytes) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit,
                        cis::powerTextWithExtension(Quantity::Current, bytes, cis::kTupleDataCapacity));
  });
}
char* CIS_API CisCePdVStr(char* b, const uint8_t* bytes) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kNumberLimit,
                        cis::powerTextWithExtension(Quantity::Voltage, bytes, cis::kTupleDataCapacity));
  });
}
char* CIS_API CisCePdXItoS(char* b, unsigned byte) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::powerExtensionText(byte)); });
}

uint32_t CIS_API CisDSize(unsigned byte) {
  return cis::guardValue<uint32_t>(0, [&]() -> uint32_t { return cis::deviceSize(byte); });
}
uint32_t CIS_API CisDgSize(unsigned code) {
  return cis::guardValue<uint32_t>(0, [&]() -> uint32_t { return cis::geometrySize(code); });
}
char* CIS_API CisDgSizeItoS(char* b, unsigned code) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::geometrySizeText(code)); });
}
char* CIS_API CisULtoS2(char* b, uint32_t value) {
  return cis::guardText(b,
                        [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::sizeText(value)); });
}
char* CIS_API CisULtoS2Byte(char* b, uint32_t value) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::sizeBytesText(value)); });
}
char* CIS_API CisFmtBkszItoS(char* b, uint32_t size) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::blockSizeText(size)); });
}

char* CIS_API CisDateItoS(char* b, unsigned value) {
  return cis::guardText(b,
                        [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::dateText(value)); });
}
char* CIS_API CisTimeItoS(char* b, unsigned value) {
  return cis::guardText(b,
                        [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::timeText(value)); });
}
char* CIS_API CisFeSpBaudWtoS(char* b, unsigned word) {
  return cis::guardText(b,
                        [&]() -> char* { return cis::putText(b, cis::kNumberLimit, cis::baudText(word)); });
}

}  // extern "C"
