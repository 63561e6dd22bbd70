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

#include "pipe_requests.h"

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
#define ZRB_PIPE_REQUEST_CODE(name, code, ...) constexpr uint32_t k##name = code;
ZRB_PIPE_REQUESTS(ZRB_PIPE_REQUEST_CODE)
#undef ZRB_PIPE_REQUEST_CODE
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
