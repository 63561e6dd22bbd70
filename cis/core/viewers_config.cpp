// Configuration (0x1A) and configuration-table entry (0x1B) viewers: fixed
// fields plus a list of sub-items, each with its own two-column page. Parsing
// stops at the first description the data cut short; what was read stays.
#include <algorithm>

#include "decode.h"
#include "viewer_builders.h"

namespace cis {
namespace {

using control::kLabel1;
using control::kValue1;

constexpr uint16_t kAddressFormats[] = {sid::kFmtLHex2H, sid::kFmtLHex4H, sid::kFmtLHex6H, sid::kFmtLHex7H};
constexpr unsigned kFieldWidths[] = {0, 1, 2, 4};

std::string address(unsigned width, uint32_t value) {
  return format(kAddressFormats[std::clamp(width, 1u, 4u) - 1], static_cast<unsigned long>(value));
}

std::string decimal(unsigned value) { return format(sid::kFmtU, value); }

void addLine(Page& page, std::string label, std::string value) {
  page.labels.push_back(std::move(label));
  page.values.push_back(std::move(value));
}

void addLine(Page& page, uint16_t label, std::string value) {
  addLine(page, std::string(text(label)), std::move(value));
}

// Reads the sub-item descriptions of a configuration-table entry from `pos` on.
class EntryParser {
 public:
  EntryParser(const TupleData& data, unsigned pos) : data_(data), pos_(pos) {}
  unsigned position() const { return pos_; }

  bool power(Page& page) {
    if (!data_.has(pos_)) return false;
    unsigned select = data_.byte(pos_++);
    for (unsigned bit = 0; bit < 7; ++bit) {
      if (!(select & (1u << bit))) continue;
      if (!data_.has(pos_)) return false;
      unsigned first = pos_;
      std::size_t consumed = 0;
      std::string value = powerTextWithExtension(bit < 3 ? Quantity::Voltage : Quantity::Current,
                                                 data_.bytes() + pos_, data_.length() - pos_, &consumed);
      addLine(page, static_cast<uint16_t>(sid::kLblPowerNominalV + bit), value);
      pos_ += static_cast<unsigned>(consumed);
      for (unsigned at = first + 1; at < pos_; ++at)
        if ((data_.byte(at) & 0x7F) >= 0x7D)
          addLine(page, std::string(), "  " + powerExtensionText(data_.byte(at)));
      // The last byte read still announcing another one: the data ended inside the parameter.
      if (data_.byte(pos_ - 1) & 0x80) return false;
    }
    return true;
  }

  bool timing(Page& page) {
    if (!data_.has(pos_)) return false;
    unsigned timing = data_.byte(pos_++);
    struct Time {
      unsigned scale, absent;
      uint16_t label;
    } times[] = {{timing & 3, 3, sid::kLblMaxWait},
                 {(timing >> 2) & 7, 7, sid::kLblMaxReadyBusy},
                 {(timing >> 5) & 7, 7, sid::kReserved}};
    for (const Time& time : times) {
      if (time.scale == time.absent) continue;
      if (!data_.has(pos_)) return false;
      addLine(page, time.label, extendedSpeedText(data_.byte(pos_), time.scale));
      if (!skipExtensions()) return false;
    }
    return true;
  }

  bool io(Page& page) {
    if (!data_.has(pos_)) return false;
    unsigned io = data_.byte(pos_++);
    addLine(page, sid::kLblIoLines, decimal(io & 0x1F));
    addLine(page, sid::kLblBus8, decimal((io >> 5) & 1));
    addLine(page, sid::kLblBus16, decimal((io >> 6) & 1));
    if (!(io & 0x80)) return true;
    if (!data_.has(pos_)) return false;
    unsigned ranges = data_.byte(pos_++);
    unsigned addressCode = (ranges >> 4) & 3, lengthCode = (ranges >> 6) & 3;
    unsigned addressWidth = kFieldWidths[addressCode], lengthWidth = kFieldWidths[lengthCode];
    static constexpr uint16_t kRangeFormats[] = {sid::kFmtLHex2H, sid::kFmtLHex2H, sid::kFmtLHex4H,
                                                 sid::kFmtLHex8H};
    uint16_t rangeFormat = kRangeFormats[std::max(addressCode, lengthCode)];
    for (unsigned i = 0; i <= (ranges & 0x0F); ++i) {
      if (!data_.has(pos_, addressWidth + lengthWidth)) return false;
      uint32_t start = data_.le(pos_, addressWidth);
      uint32_t length = data_.le(pos_ + addressWidth, lengthWidth);
      pos_ += addressWidth + lengthWidth;
      addLine(page, numberedLabel(sid::kLblIoRange, i + 1),
              format(rangeFormat, static_cast<unsigned long>(start)) + "-" +
                  format(rangeFormat, static_cast<unsigned long>(start + length)));
    }
    return true;
  }

  bool interrupt(Page& page) {
    if (!data_.has(pos_)) return false;
    unsigned irq = data_.byte(pos_++);
    const uint16_t labels[] = {sid::kIrqLevel, sid::kIrqPulse, sid::kIrqShare};
    for (unsigned bit = 5; bit <= 7; ++bit)
      addLine(page, labels[bit - 5], flagText(FlagSet::CeIrMask, irq, bit));
    if (!(irq & 0x10)) {
      addLine(page, sid::kLblIrqAvailable, decimal(irq & 0x0F));
      return true;
    }
    if (!data_.has(pos_, 2)) return false;
    unsigned mask = data_.le(pos_, 2);
    pos_ += 2;
    std::vector<std::string> names;
    for (unsigned bit = 0; bit < 4; ++bit)
      if (irq & (1u << bit)) names.push_back(lookupText(Lookup::CeIrMask, bit));
    for (unsigned bit = 0; bit < 16; ++bit)
      if (mask & (1u << bit)) names.push_back(decimal(bit));
    addLine(page, sid::kLblIrqAvailable, join(names, ", "));
    return true;
  }

  bool memory(Page& page, unsigned kind) {
    auto range = [](uint32_t start, uint32_t length) {
      return format(sid::kFmtCardRange, static_cast<unsigned long>(start),
                    static_cast<unsigned long>(start + length - 1));
    };
    auto host = [](uint32_t value) { return format(sid::kFmtLHex8H, static_cast<unsigned long>(value)); };
    if (kind == 1) {
      if (!data_.has(pos_, 2)) return false;
      uint32_t length = data_.le(pos_, 2) * 256;
      pos_ += 2;
      addLine(page, numberedLabel(sid::kLblMemoryWindow, 1),
              range(0, length) + std::string(text(sid::kAnyHostAddress)));
      return true;
    }
    if (kind == 2) {
      if (!data_.has(pos_, 4)) return false;
      uint32_t length = data_.le(pos_, 2) * 256, card = data_.le(pos_ + 2, 2) * 256;
      pos_ += 4;
      addLine(page, numberedLabel(sid::kLblMemoryWindow, 1), range(card, length) + host(card));
      return true;
    }
    if (!data_.has(pos_)) return false;
    unsigned descriptor = data_.byte(pos_++);
    unsigned lengthWidth = (descriptor >> 3) & 3, cardWidth = (descriptor >> 5) & 3;
    bool hasHost = descriptor & 0x80;
    for (unsigned window = 1; window <= (descriptor & 7) + 1; ++window) {
      unsigned need = lengthWidth + cardWidth + (hasHost ? cardWidth : 0);
      if (!data_.has(pos_, need)) return false;
      uint32_t length = data_.le(pos_, lengthWidth) * 256;
      uint32_t card = data_.le(pos_ + lengthWidth, cardWidth) * 256;
      // Without a host address the window may be placed anywhere, as for a type 1 description.
      std::string where = hasHost ? host(data_.le(pos_ + lengthWidth + cardWidth, cardWidth) * 256)
                                  : std::string(text(sid::kAnyHostAddress));
      pos_ += need;
      addLine(page, numberedLabel(sid::kLblMemoryWindow, window), range(card, length) + where);
    }
    return true;
  }

  bool misc(Page& page) {
    if (!data_.has(pos_)) return false;
    unsigned misc = data_.byte(pos_++);
    addLine(page, sid::kLblMaxTwins, decimal(misc & 7));
    addLine(page, sid::kLblAudio, decimal((misc >> 3) & 1));
    addLine(page, sid::kLblReadOnly, decimal((misc >> 4) & 1));
    addLine(page, sid::kLblPowerDown, decimal((misc >> 5) & 1));
    if (!(misc & 0x80)) return true;
    if (!data_.has(pos_)) return false;
    unsigned dma = data_.byte(pos_++);
    addLine(page, sid::kLblDmaSignal, lookupText(Lookup::CeMiDmaSignal, (dma >> 2) & 3));
    addLine(page, sid::kLblDmaWidth, dmaWidthText((dma >> 4) & 1));
    if (!(dma & 0x80)) return true;
    if (!data_.has(pos_)) return false;
    unsigned whole = data_.byte(pos_++);
    if (!(whole & 0x80)) return true;  // no fraction byte follows
    if (!data_.has(pos_)) return false;
    unsigned fraction = data_.byte(pos_++);
    // Bit 7 of the whole-number byte announces the fraction; it is not part of the value.
    addLine(page, sid::kLblThermalRating, format(sid::kFmtDecimal2, whole & 0x7F, fraction));
    return true;
  }

 private:
  bool skipExtensions() {
    while (data_.has(pos_))
      if (!(data_.byte(pos_++) & 0x80)) return true;
    return false;
  }

  const TupleData& data_;
  unsigned pos_;
};

// First string of an environment subtuple: "system:OS;comment", parts present or not.
// ':' and ';' are never the second byte of a double-byte character, so a byte search is safe.
void splitEnvironment(Page& page, const std::string& first) {
  std::size_t colon = first.find(':');
  std::size_t semicolon = first.find(';', colon == std::string::npos ? 0 : colon + 1);
  std::size_t systemEnd = std::min(colon, semicolon);
  std::string system = first.substr(0, systemEnd);
  if (!system.empty()) addLine(page, sid::kLblSystemName, system);
  if (colon != std::string::npos) {
    std::string os =
        first.substr(colon + 1, semicolon == std::string::npos ? std::string::npos : semicolon - colon - 1);
    if (!os.empty()) addLine(page, sid::kLblOsName, os);
  }
  if (semicolon != std::string::npos && semicolon + 1 < first.size())
    addLine(page, sid::kLblComment, first.substr(semicolon + 1));
}

void splitDeviceName(Page& page, const std::string& first) {
  std::size_t semicolon = first.find(';');
  std::string name = first.substr(0, semicolon);
  if (!name.empty()) addLine(page, sid::kLblPhysicalDevice, name);
  if (semicolon != std::string::npos && semicolon + 1 < first.size())
    addLine(page, sid::kLblComment, first.substr(semicolon + 1));
}

}  // namespace

ViewerText buildConfigViewer(const CisTupleRecord& record) {
  ViewerText view = viewerFrame(record, Layout::Columns, 4103);
  view.blocks.push_back(labelBlock(kLabel1, kValue1, sid::kLblLastIndex));
  TextBlock registers = labelBlock(kLabel1 + 1, control::kList1, sid::kLblConfigRegisters);
  registers.list = true;
  view.hasItems = true;
  view.itemsLabelId = kLabel1 + 2;
  view.itemsLabel = text(sid::kLblSubtuples);
  TupleData data(record);
  if (data.has(1)) view.blocks[0].values.push_back(format(sid::kFmtHex2H, data.byte(1) & 0x3F));
  unsigned sizes = data.byte(0);
  unsigned addressWidth = (sizes & 3) + 1, maskWidth = ((sizes >> 2) & 0x0F) + 1, reserved = sizes >> 6;
  unsigned pos = 2;
  if (data.has(0, 2) && data.has(pos, addressWidth)) {
    uint32_t base = data.le(pos, addressWidth) & ~uint32_t{1};
    pos += addressWidth;
    for (unsigned i = 0; i < maskWidth && data.has(pos + i); ++i)
      for (unsigned bit = 0; bit < 8; ++bit)
        if (data.byte(pos + i) & (1u << bit))
          registers.values.push_back(address(addressWidth, base + 2 * (8 * i + bit)));
    pos += maskWidth;
    // Custom-interface subtuples follow only where no reserved area sits behind the mask.
    while (reserved == 0 && data.has(pos) && data.byte(pos) == 0xC0 && data.has(pos + 1)) {
      unsigned link = data.byte(pos + 1);
      unsigned end = std::min(pos + 2 + link, data.length());
      SubItem item{configSubtupleName(0xC0), {4162, configSubtupleName(0xC0), {}, {}}};
      unsigned stringsAt = pos + 2;
      if (stringsAt < end) {
        unsigned idWidth = (data.byte(stringsAt) >> 6) + 1;
        if (stringsAt + idWidth <= end) {
          addLine(item.page, sid::kLblInterfaceId, address(idWidth, data.le(stringsAt, idWidth)));
          std::vector<std::string> strings =
              readStrings(data.bytes(), end, stringsAt + idWidth, kTupleDataCapacity);
          for (unsigned i = 0; i < strings.size(); ++i)
            addLine(item.page, numberedLabel(sid::kLblInterfaceText, i + 1), strings[i]);
        }
      }
      view.items.push_back(std::move(item));
      pos += 2 + link;
    }
  }
  view.blocks.push_back(std::move(registers));
  return view;
}

ViewerText buildConfigEntryViewer(const CisTupleRecord& record) {
  ViewerText view = viewerFrame(record, Layout::Columns, 4105);
  view.blocks.push_back(labelBlock(kLabel1, kValue1, sid::kLblEntryIndex));
  view.blocks.push_back(labelBlock(kLabel1 + 1, kValue1 + 1, sid::kLblEntryInterface));
  view.blocks[1].labelEnabled = false;
  view.hasItems = true;
  view.itemsLabelId = kLabel1 + 2;
  view.itemsLabel = text(sid::kLblFeatures);
  TupleData data(record);
  if (!data.has(0)) return view;
  unsigned index = data.byte(0);
  view.blocks[0].values = {format(sid::kFmtHex2H, index & 0x3F),
                           std::string(text(index & 0x40 ? sid::kDefaultOn : sid::kDefaultOff))};
  unsigned pos = 1;
  if (index & 0x80) {
    if (!data.has(pos)) return view;
    unsigned interface = data.byte(pos++);
    view.blocks[1].labelEnabled = true;
    view.blocks[1].values = {lookupText(Lookup::CeIfType, interface & 0x0F),
                             std::string(text(interface & 0x10 ? sid::kOn : sid::kOff)),
                             std::string(text(interface & 0x20 ? sid::kOn : sid::kOff)),
                             std::string(text(interface & 0x40 ? sid::kOn : sid::kOff)),
                             std::string(text(interface & 0x80 ? sid::kNeeded : sid::kNotNeeded))};
  }
  if (!data.has(pos)) return view;
  unsigned features = data.byte(pos++);
  EntryParser parser(data, pos);

  // Adds the item (complete or cut short) and says whether parsing goes on.
  auto add = [&view](uint16_t itemText, uint16_t dialog, auto&& parse) {
    SubItem item{std::string(text(itemText)), {dialog, std::string(text(itemText)), {}, {}}};
    bool complete = parse(item.page);
    view.items.push_back(std::move(item));
    return complete;
  };

  static constexpr uint16_t kPowerItems[3][3] = {
      {sid::kItemPowerVcc, 0, 0},
      {sid::kItemPowerVcc, sid::kItemPowerVppBoth, 0},
      {sid::kItemPowerVcc, sid::kItemPowerVpp1, sid::kItemPowerVpp2}};
  unsigned powers = features & 3;
  for (unsigned i = 0; i < powers; ++i)
    if (!add(kPowerItems[powers - 1][i], 4111, [&](Page& p) { return parser.power(p); })) return view;
  if ((features & 0x04) && !add(sid::kItemTiming, 4112, [&](Page& p) { return parser.timing(p); }))
    return view;
  if ((features & 0x08) && !add(sid::kItemIo, 4107, [&](Page& p) { return parser.io(p); })) return view;
  if ((features & 0x10) && !add(sid::kItemIrq, 4108, [&](Page& p) { return parser.interrupt(p); }))
    return view;
  unsigned memory = (features >> 5) & 3;
  if (memory && !add(sid::kItemMemory, 4110, [&](Page& p) { return parser.memory(p, memory); })) return view;
  if ((features & 0x80) && !add(sid::kItemMisc, 4109, [&](Page& p) { return parser.misc(p); })) return view;

  pos = parser.position();
  while (data.has(pos + 1) && (data.byte(pos) == 0xC0 || data.byte(pos) == 0xC1)) {
    unsigned code = data.byte(pos), link = data.byte(pos + 1);
    unsigned end = std::min(pos + 2 + link, data.length());
    std::string name = configEntrySubtupleName(code);
    SubItem item{name, {static_cast<uint16_t>(code == 0xC0 ? 4160 : 4161), name, {}, {}}};
    std::vector<std::string> strings = readStrings(data.bytes(), end, pos + 2, kTupleDataCapacity);
    for (unsigned i = 0; i < strings.size(); ++i) {
      if (i == 0 && code == 0xC0)
        splitEnvironment(item.page, strings[0]);
      else if (i == 0)
        splitDeviceName(item.page, strings[0]);
      else
        addLine(item.page, numberedLabel(sid::kLblLanguageString, i), strings[i]);
    }
    view.items.push_back(std::move(item));
    pos += 2 + link;
  }
  return view;
}

}  // namespace cis
