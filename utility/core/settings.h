// The card utility's stored settings: the list colours and the per-socket
// settings. A value that is missing, not binary, of the wrong size or out of
// range is not trusted: its default stands instead, so a damaged registry
// never feeds the program a bad size or colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings_store.h"
#include "socket_records.h"
#include "user_ports.h"

namespace tessel {

extern const char kColorKey[];  // "\Software\Orvane\tessel\Color"
extern const char kEnvKey[];    // "\Software\Orvane\tessel\Env"

struct ListColours {
  uint32_t text = 0xFFFFFF;        // "FontColor"
  uint32_t background = 0xA00000;  // "ListColor"
};

enum class ListColourRole { Text, Background };

// "Info" and the socket index in decimal.
std::string socketSettingsValueName(unsigned socket);

// Each read is tried even when its key did not open ("REGISTRY Error" shown once per key).
ListColours loadListColours(SettingsStore& store, UserMessages& messages);
std::array<SocketSettings, kShownSockets> loadSocketSettings(SettingsStore& store, UserMessages& messages);

bool storeListColour(SettingsStore& store, UserMessages& messages, ListColourRole role, uint32_t colour);
bool storeSocketSettings(SettingsStore& store, UserMessages& messages, unsigned socket,
                         const SocketSettings& settings);

// Whether stored socket settings can be used as they are.
bool plausibleSocketSettings(const SocketSettings& settings);

}  // namespace tessel
