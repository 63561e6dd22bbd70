#include "device_dialogs.h"

#include <cstdio>

#include "card_messages.h"
#include "device_tables.h"
#include "number_entry.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

// Codes of the device-type table the chips stand for.
constexpr uint16_t k28F010 = 2, k28F020 = 66, k28F008 = 3, k28F010A = 4, k28F020A = 68, k29F010 = 5,
                   k29F040 = 69, k28F008_5V = 6;

constexpr ChipItem kAmd[] = {{"Am28F010", k28F010},   {"Am28F020", k28F020}, {"Am28F010A", k28F010A},
                             {"Am28F020A", k28F020A}, {"Am29F010", k29F010}, {"Am29F040", k29F040},
                             {"Am29F080", k29F040},   {"Am29F016", k29F040}};
constexpr ChipItem kIntel[] = {{"28F010", k28F010},     {"28F020", k28F020},      {"28F008SA", k28F008},
                               {"28F016SA", k28F008},   {"28F004SC", k28F008_5V}, {"28F008SC", k28F008_5V},
                               {"28F016SC", k28F008_5V}};
constexpr ChipItem kMitsubishi[] = {{"M5M28F101", k28F010}};
constexpr ChipItem kOki[] = {{"MSM28F101", k28F010}};
constexpr ChipItem kFujitsu[] = {{"MBM28F010", k28F010},
                                 {"MBM29F040A", k29F040},
                                 {"MBM29F080", k29F040},
                                 {"MBM29F016", k29F040},
                                 {"MBM29F017", k29F040}};
constexpr ChipItem kCatalyst[] = {{"CAT28F010", k28F010}, {"CAT28F020", k28F020}};
constexpr ChipItem kSharp[] = {{"LH28F008SA", k28F008},    {"LH28F016SA", k28F008},
                               {"LH28F004SC", k28F008_5V}, {"LH28F008SC", k28F008_5V},
                               {"LH28F016SC", k28F008_5V}, {"LH28F016SU", k28F008_5V},
                               {"LH28F800SU", k28F008_5V}, {"LH28F160SU", k28F008_5V}};

constexpr ChipMaker kMakers[] = {
    {"AMD", kAmd},        {"intel", kIntel},           {"三菱", kMitsubishi}, {"OKI", kOki},
    {"富士通", kFujitsu}, {"キャタリスト", kCatalyst}, {"SHARP", kSharp},
};

// A number before a unit letter, multiplied by the unit; the number is held
// to what fits below the largest card before it is shifted, so that no
// 32-bit wrap turns a huge entry into a small size.
std::optional<uint32_t> scaled(std::string_view number, unsigned shift) {
  std::optional<int32_t> value = convertInteger(number);
  if (!value || *value < 0 || static_cast<uint32_t>(*value) > (kMaxCardSize >> shift)) return std::nullopt;
  return static_cast<uint32_t>(*value) << shift;
}

std::optional<uint32_t> convertCardSize(std::string_view text) {
  std::size_t mega = text.find_first_of("Mm");
  if (mega != std::string_view::npos) return scaled(text.substr(0, mega), 20);
  std::size_t kilo = text.find_first_of("Kk");
  if (kilo != std::string_view::npos) return scaled(text.substr(0, kilo), 10);
  // Appended rather than "$" + text: GCC 12 warns falsely about the latter.
  std::string hex = "$";
  hex += text;
  std::optional<int32_t> value = convertInteger(hex);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

// The size entry of both dialogs: any refusal is one error 261.
bool enterCardSize(std::string_view text, uint32_t& size, UserMessages& messages) {
  std::optional<uint32_t> value = parseCardSize(text);
  if (!value) {
    showCardError(R_BAD_NUMBER, messages);
    return false;
  }
  size = *value;
  return true;
}

}  // namespace

std::span<const ChipMaker> chipMenu() { return kMakers; }

std::optional<uint32_t> parseCardSize(std::string_view text) {
  std::optional<uint32_t> size = convertCardSize(text);
  if (!size || *size < kMinCardSize || *size > kMaxCardSize) return std::nullopt;
  return size;
}

std::string cardSizeText(uint32_t size) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%07X", static_cast<unsigned>(size));
  return digits;
}

DeviceList::DeviceList(unsigned length) {
  std::vector<std::string> names;
  for (const DeviceTypeRow& row : deviceTypeList().first(length)) names.emplace_back(row.name);
  box_.fill(std::move(names), -1);
}

void DeviceList::chooseCode(uint16_t code) { box_.choose(static_cast<int>(deviceTypeIndex(code))); }

uint16_t DeviceList::chosenCode(uint16_t otherwise) const {
  return box_.selected >= 0 ? deviceTypeList()[static_cast<unsigned>(box_.selected)].code : otherwise;
}

DevDialogModel::DevDialogModel() : devices_(kListLength) {}

void DevDialogModel::activate() {
  socketName_ = std::string(text(sid::kSocket)) + std::to_string(socket + 1);
  bool attribute = space != 0;
  attributeName_ = text(attribute ? sid::kAttribute : sid::kCommon);
  regionName_ = std::string(text(sid::kRegion)) + std::to_string(attribute ? 1 : region + 1);
  devices_.chooseCode(code);
  sizeText_ = cardSizeText(size);
}

DialogStep DevDialogModel::okBtnClick(UserMessages& messages) {
  uint32_t entered = 0;
  if (!enterCardSize(sizeText_, entered, messages)) return DialogStep::StayOpen;
  size = entered;
  // A type the list does not offer (an ATA card's) stays as it was.
  code = static_cast<uint8_t>(devices_.chosenCode(code));
  return DialogStep::CloseOk;
}

EnvSetDialogModel::EnvSetDialogModel(const SocketTable& table, uint16_t socket)
    : table_(table),
      socket_(socket < kShownSockets ? socket : 0),
      working_(table.settings[socket_]),
      devices_(kListLength) {
  socketBox_.fill(numberedItems(text(sid::kSocket), table.count), -1);
}

void EnvSetDialogModel::showWorking() {
  devices_.chooseCode(working_.defaultType);
  sizeText_ = cardSizeText(working_.defaultSize);
}

void EnvSetDialogModel::activate() {
  socketBox_.choose(socket_);
  showWorking();
}

void EnvSetDialogModel::socketBoxChange(int index) {
  if (index < 0 || index >= socketBox_.count()) return;
  socket_ = static_cast<uint16_t>(index);
  socketBox_.choose(index);
  working_ = table_.settings[socket_];
  showWorking();
}

DialogStep EnvSetDialogModel::okBtnClick(UserMessages& messages) {
  working_.defaultType = devices_.chosenCode(working_.defaultType);
  uint32_t entered = 0;
  if (!enterCardSize(sizeText_, entered, messages)) return DialogStep::StayOpen;
  working_.defaultSize = entered;
  return DialogStep::CloseOk;
}

}  // namespace tessel
