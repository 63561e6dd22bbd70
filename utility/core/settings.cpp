#include "settings.h"

#include <cstring>

#include "device_tables.h"
#include "texts.h"

namespace tessel {

const char kColorKey[] = "\\Software\\Orvane\\tessel\\Color";
const char kEnvKey[] = "\\Software\\Orvane\\tessel\\Env";

namespace {

constexpr char kFontColorName[] = "FontColor";
constexpr char kListColorName[] = "ListColor";
// Colours are 0x00BBGGRR; a set high byte would name a system colour or palette
// entry, which this program never stores.
constexpr uint32_t kColourMask = 0xFF000000;
// The smallest region the accessor accepts, and the largest size a user can enter.
constexpr uint32_t kMinCardSize = 512;

bool openOrReport(SettingsStore& store, UserMessages& messages, const char* key) {
  if (store.openKey(key)) return true;
  messages.showOk(text(sid::kRegistryError));
  return false;
}

template <typename Record>
bool readRecord(SettingsStore& store, const char* key, std::string_view name, Record& record) {
  std::optional<std::vector<uint8_t>> bytes = store.readBinary(key, name);
  if (!bytes || bytes->size() != sizeof(Record)) return false;
  std::memcpy(&record, bytes->data(), sizeof(Record));
  return true;
}

template <typename Record>
bool writeRecord(SettingsStore& store, const char* key, std::string_view name, const Record& record) {
  uint8_t bytes[sizeof(Record)];
  std::memcpy(bytes, &record, sizeof(Record));
  return store.writeBinary(key, name, bytes);
}

uint32_t loadColour(SettingsStore& store, std::string_view name, uint32_t fallback) {
  uint32_t colour = 0;
  return readRecord(store, kColorKey, name, colour) && (colour & kColourMask) == 0 ? colour : fallback;
}

}  // namespace

std::string socketSettingsValueName(unsigned socket) { return "Info" + std::to_string(socket); }

bool plausibleSocketSettings(const SocketSettings& settings) {
  return deviceTypeIndex(settings.defaultType) < kDeviceTypeCount && settings.defaultSize >= kMinCardSize &&
         settings.defaultSize <= kDefaultCardSize;
}

ListColours loadListColours(SettingsStore& store, UserMessages& messages) {
  openOrReport(store, messages, kColorKey);
  ListColours colours;
  colours.text = loadColour(store, kFontColorName, colours.text);
  colours.background = loadColour(store, kListColorName, colours.background);
  return colours;
}

std::array<SocketSettings, kShownSockets> loadSocketSettings(SettingsStore& store, UserMessages& messages) {
  openOrReport(store, messages, kEnvKey);
  std::array<SocketSettings, kShownSockets> all;
  for (unsigned socket = 0; socket < kShownSockets; ++socket) {
    SocketSettings settings{};
    bool usable = readRecord(store, kEnvKey, socketSettingsValueName(socket), settings) &&
                  plausibleSocketSettings(settings);
    all[socket] = usable ? settings : defaultSocketSettings();
  }
  return all;
}

bool storeListColour(SettingsStore& store, UserMessages& messages, ListColourRole role, uint32_t colour) {
  openOrReport(store, messages, kColorKey);
  return writeRecord(store, kColorKey, role == ListColourRole::Text ? kFontColorName : kListColorName,
                     colour);
}

bool storeSocketSettings(SettingsStore& store, UserMessages& messages, unsigned socket,
                         const SocketSettings& settings) {
  openOrReport(store, messages, kEnvKey);
  return writeRecord(store, kEnvKey, socketSettingsValueName(socket), settings);
}

}  // namespace tessel
