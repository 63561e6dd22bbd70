// Records of the CIS library tupview32: the tuple list a caller hands to
// CisShow, the tuple copy every viewer reads, and one decoded device of a
// device-information tuple. This is the chief header of these records; the
// card utility includes it, never copies it.
//
// All records are little-endian and packed: they cross the library's
// boundary and callers lay them out byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cis {

inline constexpr unsigned kTupleDataCapacity = 256;

#pragma pack(push, 1)

// One tuple as the caller copied it from the card (276 bytes).
struct CisTupleRecord {
  uint16_t socket;         // socket index from 0
  uint16_t attributeWord;  // caller sets 1; in the library's copy of a 0x22 tuple: its function code
  uint8_t requestedCode;   // caller sets 0xFF; in the library's copy: the tuple code of the entry
  uint8_t unused[7];
  uint32_t address;     // byte address of the tuple's code byte in card memory
  uint8_t cardCode;     // tuple code as read from the card
  uint8_t cardLink;     // tuple link as read from the card
  uint16_t dataLength;  // number of valid data bytes (the library never reads past 256)
  uint8_t data[kTupleDataCapacity];
};

// One element of the caller's tuple list, in CIS order.
struct CisTupleEntry {
  uint32_t code;                 // tuple code (the low byte counts)
  const CisTupleRecord* record;  // the tuple's copy
};

// One device of a device-information tuple as CisDecodeDevice fills it (17 bytes).
struct CisDeviceInfo {
  uint8_t speedCode;            // bits 0-2 of the device identifier
  uint8_t extendedSpeed;        // first extended speed byte, when the speed code is 7
  uint32_t writeProtect;        // write-protect-switch bit, 0 or 1
  uint8_t typeCode;             // bits 4-7 of the device identifier
  uint32_t size;                // bytes, CisDSize of the size byte
  uint32_t hasOtherConditions;  // 1 when other-conditions information was assigned
  uint8_t waitSignal;           // bit 0 of that information
  uint8_t vccCode;              // bits 1-2 of that information
};

#pragma pack(pop)

static_assert(sizeof(CisTupleRecord) == 276);
static_assert(offsetof(CisTupleRecord, socket) == 0);
static_assert(offsetof(CisTupleRecord, attributeWord) == 2);
static_assert(offsetof(CisTupleRecord, requestedCode) == 4);
static_assert(offsetof(CisTupleRecord, unused) == 5);
static_assert(offsetof(CisTupleRecord, address) == 12);
static_assert(offsetof(CisTupleRecord, cardCode) == 16);
static_assert(offsetof(CisTupleRecord, cardLink) == 17);
static_assert(offsetof(CisTupleRecord, dataLength) == 18);
static_assert(offsetof(CisTupleRecord, data) == 20);

static_assert(offsetof(CisTupleEntry, code) == 0);
static_assert(offsetof(CisTupleEntry, record) == 4);
// 8 bytes where pointers have 32 bits, as in the Windows deliverables.
static_assert(sizeof(CisTupleEntry) == 4 + sizeof(void*));

static_assert(sizeof(CisDeviceInfo) == 17);
static_assert(offsetof(CisDeviceInfo, speedCode) == 0);
static_assert(offsetof(CisDeviceInfo, extendedSpeed) == 1);
static_assert(offsetof(CisDeviceInfo, writeProtect) == 2);
static_assert(offsetof(CisDeviceInfo, typeCode) == 6);
static_assert(offsetof(CisDeviceInfo, size) == 7);
static_assert(offsetof(CisDeviceInfo, hasOtherConditions) == 11);
static_assert(offsetof(CisDeviceInfo, waitSignal) == 15);
static_assert(offsetof(CisDeviceInfo, vccCode) == 16);

}  // namespace cis
