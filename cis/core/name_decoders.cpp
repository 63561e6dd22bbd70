// Names of tuple and subtuple codes, level-1 versions, and the two-state flag
// decoders whose clear and set texts sit side by side in the string table.
#include <iterator>

#include "decode.h"
#include "decoders.h"
#include "export_guard.h"
#include "text.h"

namespace cis {
namespace {

constexpr uint16_t kTupleNameBase = 21000;
constexpr std::size_t kNameLimit = 63;
constexpr std::size_t kFlagLimit = 63;

struct CodeName {
  unsigned code;
  uint16_t id;
};

constexpr CodeName kConfigEntrySubtuples[] = {{0xC0, 24000}, {0xC1, 24001}, {0xFF, sid::kSubtupleEnd}};
constexpr CodeName kConfigSubtuples[] = {{0xC0, sid::kCustomInterface}, {0xFF, sid::kSubtupleEnd}};

template <std::size_t N>
std::string subtupleName(const CodeName (&names)[N], unsigned code) {
  for (const CodeName& name : names)
    if (name.code == code) return std::string(text(name.id));
  return format(sid::kFmtReservedCode, code);
}

// Two-state flags: which bits the field defines and where their text pairs start.
struct FlagLayout {
  uint16_t base;          // clear text of bit n at base + 2n, set text at base + 2n + 1
  unsigned definedBits;   // bits with a text pair
  unsigned reservedBits;  // bits shown as reserved in both states
  unsigned highestBit;    // bits above it are invalid
};

constexpr FlagLayout kFmtFlag{26810, 0x03, 0xFC, 7};
constexpr FlagLayout kCeIrMask{31232, 0xFF, 0x00, 7};
constexpr FlagLayout kAtaFlag{38200, 0x7F1C, 0x80E0, 15};

std::string pairedFlagText(const FlagLayout& layout, unsigned flags, unsigned bit) {
  if (bit > layout.highestBit) return std::string(text(sid::kInvalid));
  unsigned mask = 1u << bit;
  if (layout.reservedBits & mask) return std::string(text(sid::kReserved));
  if (!(layout.definedBits & mask)) return std::string(text(sid::kInvalid));
  bool set = (flags & mask) != 0;
  return std::string(text(static_cast<uint16_t>(layout.base + 2 * bit + (set ? 1 : 0))));
}

}  // namespace

std::string tupleName(unsigned code) {
  if (code > 0xFF) return std::string(text(sid::kInvalid));
  uint16_t id = static_cast<uint16_t>(kTupleNameBase + code);
  if (hasText(id)) return std::string(text(id));
  return format(sid::kFmtReservedCode, code);
}

std::string configEntrySubtupleName(unsigned code) { return subtupleName(kConfigEntrySubtuples, code); }
std::string configSubtupleName(unsigned code) { return subtupleName(kConfigSubtuples, code); }

std::string level1VersionText(unsigned major, unsigned minor) {
  if (major == 4 && minor <= 2) return std::string(text(static_cast<uint16_t>(24100 + minor)));
  if (major == 5 && minor == 0) return std::string(text(24103));
  return std::string(text(sid::kInvalid));
}

std::string flagText(FlagSet set, unsigned flags, unsigned bit) {
  switch (set) {
    case FlagSet::FidSysInit:
      if (bit == 0) return std::string(text(flags & 1 ? sid::kDoes : sid::kDoesNot));
      if (bit == 1) return std::string(text(flags & 2 ? sid::kPresent : sid::kAbsent));
      return std::string(text(bit <= 7 ? sid::kReserved : sid::kInvalid));
    case FlagSet::FmtFlag:
      return pairedFlagText(kFmtFlag, flags, bit);
    case FlagSet::CeIrMask:
      // Without the mask bit the individual request lines 0-3 are not in use.
      if (bit < 4 && !(flags & 0x10)) flags &= ~0x0Fu;
      return pairedFlagText(kCeIrMask, flags, bit);
    case FlagSet::FeDiskAtaFlag:
      return pairedFlagText(kAtaFlag, flags, bit);
    case FlagSet::FeSpUc:
      if (bit > 15) return std::string(text(sid::kInvalid));
      return flags & (1u << bit) ? lookupText(Lookup::FeSpUc, bit) : std::string();
    case FlagSet::FeSpFc:
      if (bit > 7) return std::string(text(sid::kInvalid));
      if (bit > 4) return std::string(text(sid::kReserved));
      return flags & (1u << bit) ? lookupText(Lookup::FeSpFc, bit) : std::string();
  }
  return std::string();
}

std::string dmaWidthText(unsigned flag) { return std::string(text(flag ? sid::kDma16Bit : sid::kDma8Bit)); }

}  // namespace cis

using cis::FlagSet;

extern "C" {

char* CIS_API CisTupleItoS(char* b, unsigned code) {
  return cis::guardText(b, [&]() -> char* { return cis::putText(b, cis::kNameLimit, cis::tupleName(code)); });
}
char* CIS_API CisStCeItoS(char* b, unsigned code) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNameLimit, cis::configEntrySubtupleName(code)); });
}
char* CIS_API CisCcStItoS(char* b, unsigned code) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNameLimit, cis::configSubtupleName(code)); });
}
char* CIS_API CisLv1VersItoS(char* b, unsigned major, unsigned minor) {
  return cis::guardText(
      b, [&]() -> char* { return cis::putText(b, cis::kNameLimit, cis::level1VersionText(major, minor)); });
}

char* CIS_API CisFidSysInitFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kFlagLimit, cis::flagText(FlagSet::FidSysInit, flags, bit));
  });
}
char* CIS_API CisFmtFlagFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kFlagLimit, cis::flagText(FlagSet::FmtFlag, flags, bit));
  });
}
char* CIS_API CisCeIrMaskFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kFlagLimit, cis::flagText(FlagSet::CeIrMask, flags, bit));
  });
}
char* CIS_API CisFeDiskAtaFlagFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::kFlagLimit, cis::flagText(FlagSet::FeDiskAtaFlag, flags, bit));
  });
}
char* CIS_API CisFeSpUcFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::lookupLimit(cis::Lookup::FeSpUc), cis::flagText(FlagSet::FeSpUc, flags, bit));
  });
}
char* CIS_API CisFeSpFcFtoS(char* b, unsigned flags, unsigned bit) {
  return cis::guardText(b, [&]() -> char* {
    return cis::putText(b, cis::lookupLimit(cis::Lookup::FeSpFc), cis::flagText(FlagSet::FeSpFc, flags, bit));
  });
}
char* CIS_API CisCeMiDmaWidthFtoS(char* b, unsigned flag) {
  return cis::guardText(b,
                        [&]() -> char* { return cis::putText(b, cis::kFlagLimit, cis::dmaWidthText(flag)); });
}

}  // extern "C"
