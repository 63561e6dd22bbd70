// Card service interface: the one call interface through which every card is
// reached. The card manager exports it as VESKCM and SlotHubService, every
// accessor module as VESKCI. This is the chief header of its records and
// codes; every deliverable that calls or serves cards includes it.
//
// All records are little-endian and packed: they cross module boundaries and
// older callers lay them out byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define CS_STDCALL __stdcall
#else
#define CS_STDCALL
#endif

namespace cardservice {

// ---- Entry signatures ------------------------------------------------------

// VESKCM (manager) and VESKCI (accessor): code, socket, space, offset, length, data.
using CardEntry = int32_t(CS_STDCALL*)(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                       uint32_t length, void* data);
// SlotHubService: code, request, requestLength, buffer, bufferLength; the result
// is a signed 16-bit value widened to 32 bits.
struct SlotRequest;
using LegacyEntry = int32_t(CS_STDCALL*)(uint32_t code, const SlotRequest* request, uint32_t requestLength,
                                         void* buffer, uint32_t bufferLength);

// ---- Function codes ----------------------------------------------------------

enum FunctionCode : uint32_t {
  FN_INFO = 0,
  FN_STATUS = 1,
  FN_GET_DEVICE = 2,
  FN_READ = 3,
  FN_WRITE = 4,
  FN_ERASE = 5,
  FN_SET_DEVICE = 6,
  FN_SELECT_REGION = 7,
  FN_RESERVED_8 = 8,
  FN_SOCKET_OPTIONS = 9,
  FN_LOCK = 10,
  FN_FLUSH = 11,
  FN_OPEN = 129,
  FN_CLOSE = 130,
};

// ---- Result codes ------------------------------------------------------------

enum ResultCode : int32_t {
  CS_OK = 0,
  CS_BAD_OFFSET = 7,
  CS_READ_ERROR = 9,
  CS_OUT_OF_RANGE = 10,
  CS_BAD_SOCKET = 11,
  CS_NO_DEVICE = 13,
  CS_WRITE_ERROR = 18,
  CS_NO_CARD = 20,
  CS_NOT_SUPPORTED = 21,
  CS_DEVICE_FAILURE = 25,
  CS_WRITE_PROTECTED = 26,
  CS_BAD_PARAMETER = 28,
  CS_IN_USE = 29,
};

// ---- Status byte (FN_STATUS) -------------------------------------------------

enum StatusBit : uint8_t {
  STATUS_WRITE_PROTECTED = 0x01,
  STATUS_USABLE = 0x08,
  STATUS_BATTERY_DEAD = 0x10,
  STATUS_BATTERY_LOW = 0x20,
  STATUS_READER_BIT3 = 0x40,  // copy of the reader-writer's status bit of value 8
  STATUS_CARD_PRESENT = 0x80,
};

// A card is ready for use only when it is present and the socket is usable.
constexpr bool cardReady(uint8_t status) {
  return (status & (STATUS_CARD_PRESENT | STATUS_USABLE)) == (STATUS_CARD_PRESENT | STATUS_USABLE);
}

// ---- Device kinds (device information tuple codes) ---------------------------

enum DeviceKind : uint32_t {
  KIND_NONE = 0,
  KIND_ROM = 1,
  KIND_EEPROM = 4,
  KIND_FLASH = 5,
  KIND_SRAM = 6,
  KIND_DRAM = 7,
  KIND_FUNCTION_SPECIFIC = 13,  // ATA card, sector access
};

// ---- Limits ----------------------------------------------------------------

constexpr uint32_t kMaxGlobalSockets = 32;
constexpr uint32_t kMaxCommonRegions = 4;
constexpr uint32_t kCategoryCount = 16;

// ---- Records ---------------------------------------------------------------

#pragma pack(push, 1)

struct SlotRequest {
  uint8_t socket;   // global socket number
  uint8_t space;    // 0 = common memory, else attribute memory
  uint32_t offset;  // byte offset or look-up offset (unaligned)
};
static_assert(sizeof(SlotRequest) == 6);
static_assert(offsetof(SlotRequest, socket) == 0);
static_assert(offsetof(SlotRequest, space) == 1);
static_assert(offsetof(SlotRequest, offset) == 2);

struct DeviceRecord {
  uint32_t kind;       // DeviceKind
  uint32_t size;       // region size in bytes
  uint32_t chipId;     // flash JEDEC identifier: manufacturer low byte, device next
  uint32_t family;     // programming-algorithm family
  uint32_t chipSize;   // capacity of one device, bytes
  uint32_t eraseUnit;  // erase block, bytes
  uint32_t writeUnit;  // program unit, bytes
  uint32_t voltage;    // programming voltage, tenths of a volt
};
static_assert(sizeof(DeviceRecord) == 32);
static_assert(offsetof(DeviceRecord, kind) == 0);
static_assert(offsetof(DeviceRecord, size) == 4);
static_assert(offsetof(DeviceRecord, chipId) == 8);
static_assert(offsetof(DeviceRecord, family) == 12);
static_assert(offsetof(DeviceRecord, chipSize) == 16);
static_assert(offsetof(DeviceRecord, eraseUnit) == 20);
static_assert(offsetof(DeviceRecord, writeUnit) == 24);
static_assert(offsetof(DeviceRecord, voltage) == 28);

struct LegacyDeviceRecord {
  uint16_t type;    // legacy device-type code
  uint16_t chipId;  // low 16 bits of DeviceRecord::chipId
  uint32_t size;    // region size in bytes
};
static_assert(sizeof(LegacyDeviceRecord) == 8);
static_assert(offsetof(LegacyDeviceRecord, type) == 0);
static_assert(offsetof(LegacyDeviceRecord, chipId) == 2);
static_assert(offsetof(LegacyDeviceRecord, size) == 4);

struct ManagerInfo {
  uint32_t versionMajor;
  uint32_t versionMinor;
  uint32_t versionRelease;
  uint32_t versionBuild;
  uint32_t socketCount;                        // 0 to 32
  uint32_t socketCategory[kMaxGlobalSockets];  // per socket, as far as the caller's length allows
};
static_assert(sizeof(ManagerInfo) == 148);
static_assert(offsetof(ManagerInfo, versionMajor) == 0);
static_assert(offsetof(ManagerInfo, versionMinor) == 4);
static_assert(offsetof(ManagerInfo, versionRelease) == 8);
static_assert(offsetof(ManagerInfo, versionBuild) == 12);
static_assert(offsetof(ManagerInfo, socketCount) == 16);
static_assert(offsetof(ManagerInfo, socketCategory) == 20);
constexpr uint32_t kManagerInfoHeaderSize = offsetof(ManagerInfo, socketCategory);

struct LegacyManagerInfo {
  uint16_t version;  // (major << 8) | minor, low 16 bits
  uint8_t socketCount;
  uint8_t categoryCount[3];  // sockets in categories 0, 1, 2; written as far as the buffer allows
};
static_assert(sizeof(LegacyManagerInfo) == 6);
static_assert(offsetof(LegacyManagerInfo, version) == 0);
static_assert(offsetof(LegacyManagerInfo, socketCount) == 2);
static_assert(offsetof(LegacyManagerInfo, categoryCount) == 3);
constexpr uint32_t kLegacyManagerInfoFixedSize = 3;

#pragma pack(pop)

// ---- Interface categories ----------------------------------------------------

// Names of the 16 interface categories, shown by the card utility as a socket's hint.
extern const char* const kCategoryNames[kCategoryCount];

}  // namespace cardservice
