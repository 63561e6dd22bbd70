// What the card utility keeps per socket: the card information read from the
// card manager (SocketInfo) and the per-socket settings stored in the
// registry (SocketSettings, whose 18 bytes are the stored value's layout).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessel {

constexpr unsigned kShownSockets = 16;  // sockets the program shows at most
constexpr unsigned kAreaCount = 5;      // common regions 0..3 and attribute memory
constexpr unsigned kAttributeArea = 4;
constexpr unsigned kMaxRegions = 4;

#pragma pack(push, 1)

struct SocketInfo {
  uint8_t state;                   // status byte this record was refreshed for
  uint8_t regionCount;             // common-memory regions found, 0..4
  uint8_t deviceType[kAreaCount];  // legacy device-type code per area
  uint16_t chipId[kAreaCount];     // manufacturer in the low byte, device in the high byte
  uint32_t areaSize[kAreaCount];   // 0: the area does not exist
  uint32_t eraseUnit[kAreaCount];
};
static_assert(sizeof(SocketInfo) == 57);
static_assert(offsetof(SocketInfo, state) == 0);
static_assert(offsetof(SocketInfo, regionCount) == 1);
static_assert(offsetof(SocketInfo, deviceType) == 2);
static_assert(offsetof(SocketInfo, chipId) == 7);
static_assert(offsetof(SocketInfo, areaSize) == 17);
static_assert(offsetof(SocketInfo, eraseUnit) == 37);

struct SocketSettings {
  uint16_t defaultType;  // legacy code used for a region of unknown type
  uint32_t defaultSize;  // size used for such a region
  uint32_t useDefault;   // not 0: unknown regions take the two above
  uint32_t optionA;      // not 0: bit 1 of the socket option byte
  uint32_t optionB;      // not 0: bit 0 of the socket option byte
};
static_assert(sizeof(SocketSettings) == 18);
static_assert(offsetof(SocketSettings, defaultType) == 0);
static_assert(offsetof(SocketSettings, defaultSize) == 2);
static_assert(offsetof(SocketSettings, useDefault) == 6);
static_assert(offsetof(SocketSettings, optionA) == 10);
static_assert(offsetof(SocketSettings, optionB) == 14);

#pragma pack(pop)

constexpr uint32_t kDefaultCardSize = 0x4000000;

constexpr SocketSettings defaultSocketSettings() { return SocketSettings{0, kDefaultCardSize, 0, 0, 0}; }

// The byte sent with FN_SOCKET_OPTIONS for these settings.
constexpr uint8_t socketOptionByte(const SocketSettings& settings) {
  return static_cast<uint8_t>((settings.optionA != 0 ? 2 : 0) | (settings.optionB != 0 ? 1 : 0));
}

// The status byte shows a card present (0x80) and usable (0x08).
constexpr bool cardPresent(uint8_t status) { return (status & 0x80) != 0; }
constexpr bool cardUsable(uint8_t status) { return (status & 0x88) == 0x88; }

}  // namespace tessel
