// The pipe protocol between the accessor module (client) and the access
// service (server). This is its chief header: both deliverables include it.
//
// One connection carries one request: the 36-byte ServiceRequest as one
// message, then, when `direction` is 1 or 2 and length * count (a 32-bit
// product) is not 0, the data block as one message (2: client to server
// before the operation, 1: server to client after it), and last the 8-byte
// ServiceReply. All numbers are 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zrb2x::pipe {

constexpr char kPipeName[] = "\\\\.\\pipe\\zrb2x\\comm";
// Serialises whole exchanges among every client on the machine.
constexpr char kExchangeMutexName[] = "zrb2xiov/mutex/exec";

enum DataDirection : uint32_t {
  kNoData = 0,
  kToClient = 1,  // the server sends the block after the operation
  kToServer = 2,  // the client sends the block before the operation
};

#pragma pack(push, 1)

struct ServiceRequest {
  uint32_t code;
  uint32_t direction;
  uint32_t device;   // index in the service's device table
  uint32_t option;   // erase: 0 common memory, else attribute memory
  uint32_t address;  // byte address, first sector or a 32-bit command value
  uint32_t length;   // byte count, sector count or a 16-bit command value
  uint32_t count;    // multiplier: the data block is length * count bytes
  uint32_t extraA;
  uint32_t extraB;
};
static_assert(sizeof(ServiceRequest) == 36);
static_assert(offsetof(ServiceRequest, code) == 0);
static_assert(offsetof(ServiceRequest, direction) == 4);
static_assert(offsetof(ServiceRequest, device) == 8);
static_assert(offsetof(ServiceRequest, option) == 12);
static_assert(offsetof(ServiceRequest, address) == 16);
static_assert(offsetof(ServiceRequest, length) == 20);
static_assert(offsetof(ServiceRequest, count) == 24);
static_assert(offsetof(ServiceRequest, extraA) == 28);
static_assert(offsetof(ServiceRequest, extraB) == 32);

struct ServiceReply {
  uint32_t status;
  uint32_t systemError;  // Windows error code of a failed system-level call, else 0
};
static_assert(sizeof(ServiceReply) == 8);
static_assert(offsetof(ServiceReply, status) == 0);
static_assert(offsetof(ServiceReply, systemError) == 4);

#pragma pack(pop)

// The data block size as both sides compute it: a 32-bit product.
constexpr uint32_t announcedBlockSize(const ServiceRequest& r) { return r.length * r.count; }

// Request codes. 0x4241xxxx act on the service's device table, 0x5343xxxx
// issue one reader-writer command whose operation code is the low byte.
namespace code {
constexpr uint32_t kAttach = 0x42410001;
constexpr uint32_t kDetach = 0x42410002;
constexpr uint32_t kCountDevices = 0x42410003;
constexpr uint32_t kQueryDriveLetter = 0x42410004;
constexpr uint32_t kQueryDiscoveryPosition = 0x42410005;
constexpr uint32_t kLoad = 0x42410006;
constexpr uint32_t kEject = 0x42410007;
constexpr uint32_t kAcquire = 0x42410008;
constexpr uint32_t kRelease = 0x42410009;
constexpr uint32_t kRezero = 0x53430001;
constexpr uint32_t kWriteDeviceTable = 0x53430005;
constexpr uint32_t kReadDeviceTable = 0x53430006;
constexpr uint32_t kInquiry = 0x53430012;
constexpr uint32_t kGetStatus = 0x53430013;
constexpr uint32_t kReadCommon = 0x53430020;
constexpr uint32_t kEraseMemory = 0x53430021;
constexpr uint32_t kWriteCommon = 0x53430022;
constexpr uint32_t kReadAttribute = 0x53430024;
constexpr uint32_t kReadCapacity = 0x53430025;
constexpr uint32_t kWriteAttribute = 0x53430026;
constexpr uint32_t kReadSectors = 0x53430028;
constexpr uint32_t kWriteSectors = 0x5343002A;
constexpr uint32_t kDownloadFirmware = 0x5343003B;
constexpr uint32_t kVendorCommand3D = 0x5343003D;
constexpr uint32_t kAtaWriteTaskFile = 0x53430156;
constexpr uint32_t kAtaReadTaskFile = 0x53430056;
constexpr uint32_t kAtaExecute = 0x53430256;
constexpr uint32_t kAtaWriteData = 0x53430356;
constexpr uint32_t kAtaReadData = 0x53430456;
}  // namespace code

// Status values of ServiceReply::status besides the device results, encoded
// like device results (additional sense code << 24 | sense key).
namespace status {
constexpr uint32_t kOk = 0;
constexpr uint32_t kNoSuchDevice = 5;
constexpr uint32_t kTimeOut = 11;  // device mutex, exclusive-use wait or busy pipe
constexpr uint32_t kCommunicationFailure = 0x08000004;
constexpr uint32_t kUnknownRequest = 0x20000005;
constexpr uint32_t kMissingData = 0x24000005;
}  // namespace status

constexpr uint32_t kSectorBytes = 512;

// No request moves more than the largest card area (64 MiB of common
// memory): the server refuses a larger announced block before it allocates
// anything, whatever memory the process could get.
constexpr uint32_t kMaxDataBlock = 64u * 1024 * 1024;

// Windows error codes the protocol itself hands over in systemError.
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNotSupported = 50;

}  // namespace zrb2x::pipe
