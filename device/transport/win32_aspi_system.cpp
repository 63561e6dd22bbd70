#include "win32_aspi_system.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace zrb2x::win {
namespace {

constexpr BYTE kHostAdapterInquiry = 0, kExecute = 2, kAbort = 3;
constexpr BYTE kDirectionIn = 0x08, kDirectionOut = 0x10, kEventNotify = 0x40;
constexpr DWORD kDosIoctl = 1;  // VWIN32_DIOC_DOS_IOCTL
constexpr DWORD kCarryFlag = 0x0001;

#pragma pack(push, 1)
struct HostAdapterInquiry {
  BYTE command, status, adapter, flags;
  DWORD reserved;
  BYTE count, scsiId, managerId[16], identifier[16], unique[16];
  WORD reserved1;
};
struct ExecuteRequest {
  BYTE command, status, adapter, flags;
  DWORD reserved;
  BYTE target, lun;
  WORD reserved1;
  DWORD length;
  BYTE* buffer;
  BYTE senseLength, cdbLength, adapterStatus, targetStatus;
  void* postProcess;
  BYTE reserved2[20];
  BYTE cdb[16];
  BYTE sense[14 + 2];
};
struct AbortRequest {
  BYTE command, status, adapter, flags;
  DWORD reserved;
  void* toAbort;
};
struct DiocRegisters {
  DWORD ebx, edx, ecx, eax, edi, esi, flags;
};
#pragma pack(pop)
// The 32-bit request block of the ASPI manager (buffer at 16, CDB at 48,
// sense at 64). ASPI exists only for 32-bit programs; the 64-bit build keeps
// the pointer fields at their natural size.
constexpr size_t P = sizeof(void*);
static_assert(offsetof(ExecuteRequest, length) == 12);
static_assert(offsetof(ExecuteRequest, buffer) == 16);
static_assert(offsetof(ExecuteRequest, senseLength) == 16 + P);
static_assert(offsetof(ExecuteRequest, postProcess) == 20 + P);
static_assert(offsetof(ExecuteRequest, cdb) == 40 + 2 * P);
static_assert(offsetof(ExecuteRequest, sense) == 56 + 2 * P);
static_assert(offsetof(AbortRequest, toAbort) == 8);

// The block-device control minor codes of int 21h function 440Dh.
constexpr WORD minorCode(os::BlockControl what) {
  switch (what) {
    case os::BlockControl::Eject:
      return 0x0849;
    case os::BlockControl::Lock:
      return 0x084A;
    case os::BlockControl::Unlock:
      return 0x086A;
  }
  return 0;
}

// A request block in flight with its own data buffer. The manager writes into
// both until the request completes, which after an abort may be later than
// the caller can wait: the caller's buffer is then no longer touched, and a
// block that never completes is left to the manager rather than freed.
struct InFlight {
  ExecuteRequest request;
  std::vector<uint8_t> data;
};

// How long an aborted request is given to complete before it is left alone.
constexpr DWORD kAbortCompletionMs = 2000;

InFlight* inFlightOf(os::AspiCommand& c) { return reinterpret_cast<InFlight*>(c.request); }
ExecuteRequest* requestOf(os::AspiCommand& c) { return &inFlightOf(c)->request; }

std::optional<std::string> stringValue(HKEY root, const std::string& path, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
  zrb::win::UniqueKey key(opened);
  char value[256] = {};
  DWORD size = sizeof value - 1, type = 0;
  const LONG status =
      RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  value[std::min<DWORD>(size, sizeof value - 1)] = '\0';
  return std::string(value);
}

}  // namespace

AspiSystem::~AspiSystem() { unloadManager(); }

bool AspiSystem::loadManager() {
  unloadManager();
  if (givenSend_) {
    send_ = givenSend_;
    supportInfo_ = givenSupportInfo_;
    bool ok = true;
    for (auto& event : events_) {
      event.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
      ok = ok && event;
    }
    if (!ok) unloadManager();
    return ok;
  }
  manager_.reset(LoadLibraryA("WNASPI32.DLL"));
  if (manager_) {
    send_ = reinterpret_cast<SendCommand>(
        reinterpret_cast<void*>(GetProcAddress(manager_.get(), "SendASPI32Command")));
    supportInfo_ = reinterpret_cast<GetSupportInfo>(
        reinterpret_cast<void*>(GetProcAddress(manager_.get(), "GetASPI32SupportInfo")));
  }
  vwin32_.reset(CreateFileA("\\\\.\\VWIN32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  bool ok = manager_ && send_ && supportInfo_ && vwin32_;
  for (auto& event : events_) {
    event.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ok = ok && event;
  }
  if (!ok) unloadManager();
  return ok;
}

void AspiSystem::unloadManager() {
  for (auto& event : events_) event.reset();
  vwin32_.reset();
  manager_.reset();
  send_ = nullptr;
  supportInfo_ = nullptr;
}

// Without a manager the stubs report an initialisation failure.
uint32_t AspiSystem::supportInfo() {
  return supportInfo_ ? supportInfo_() : uint32_t{os::kAspiInitFailure} << 8;
}

bool AspiSystem::adapterAnswers(uint8_t adapter) {
  if (!send_) return false;
  HostAdapterInquiry inquiry{};
  inquiry.command = kHostAdapterInquiry;
  inquiry.adapter = adapter;
  send_(&inquiry);
  return inquiry.status == os::kAspiComplete;
}

uint8_t AspiSystem::submit(os::AspiCommand& c) {
  if (!send_ || c.slot >= events_.size()) return os::kAspiInitFailure;
  auto flight = std::make_unique<InFlight>();
  ExecuteRequest* request = &flight->request;
  std::memset(request, 0, sizeof(ExecuteRequest));
  flight->data.resize(c.count);
  if (c.direction == Direction::Out && c.count) std::memcpy(flight->data.data(), c.data, c.count);
  request->command = kExecute;
  request->adapter = c.adapter;
  request->target = c.target;
  request->lun = c.lun;
  request->flags = kEventNotify | (c.direction == Direction::In    ? kDirectionIn
                                   : c.direction == Direction::Out ? kDirectionOut
                                                                   : 0);
  request->length = c.count;
  request->buffer = flight->data.data();
  request->senseLength = 14;
  request->cdbLength = c.cdbLength;
  std::memcpy(request->cdb, c.cdb, std::min<size_t>(c.cdbLength, sizeof request->cdb));
  request->postProcess = events_[c.slot].get();
  ResetEvent(events_[c.slot].get());
  c.request = reinterpret_cast<uintptr_t>(flight.release());
  const uint8_t status = static_cast<uint8_t>(send_(requestOf(c)));
  if (status != os::kAspiPending) finish(c);
  return status;
}

void AspiSystem::finish(os::AspiCommand& c) {
  std::unique_ptr<InFlight> flight(inFlightOf(c));
  c.request = 0;
  if (!flight) return;
  c.status = flight->request.status;
  std::memcpy(c.sense, flight->request.sense, sizeof c.sense);
  if (c.direction == Direction::In && c.count) std::memcpy(c.data, flight->data.data(), c.count);
}

bool AspiSystem::waitForCompletion(os::AspiCommand& c, uint32_t timeoutMs) {
  if (!c.request) return true;
  if (WaitForSingleObject(events_[c.slot].get(), timeoutMs) != WAIT_OBJECT_0 &&
      requestOf(c)->status == os::kAspiPending)
    return false;
  finish(c);
  return true;
}

void AspiSystem::abort(os::AspiCommand& c) {
  if (!c.request) return;
  AbortRequest request{};
  request.command = kAbort;
  request.adapter = c.adapter;
  request.toAbort = requestOf(c);
  if (send_) send_(&request);
  // The aborted request still completes (as aborted); only then is its block
  // free. One that does not complete in time keeps its block for good.
  ExecuteRequest* pending = requestOf(c);
  if (WaitForSingleObject(events_[c.slot].get(), kAbortCompletionMs) == WAIT_OBJECT_0 ||
      pending->status != os::kAspiPending) {
    finish(c);
  } else {
    c.request = 0;  // left to the manager
  }
}

bool AspiSystem::blockDeviceControl(uint8_t driveNumber, os::BlockControl what) {
  if (!vwin32_) return false;
  DiocRegisters registers{};
  registers.eax = 0x440D;
  registers.ebx = driveNumber;  // BH: lock level 0
  registers.ecx = minorCode(what);
  registers.flags = kCarryFlag;
  DWORD returned = 0;
  const BOOL sent = DeviceIoControl(vwin32_.get(), kDosIoctl, &registers, sizeof registers, &registers,
                                    sizeof registers, &returned, nullptr);
  return sent && !(registers.flags & kCarryFlag);
}

std::vector<std::string> AspiSystem::configManagerEntries() {
  std::vector<std::string> entries;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_ENUMERATE_SUB_KEYS, &opened) !=
      ERROR_SUCCESS)
    return entries;
  zrb::win::UniqueKey key(opened);
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    entries.emplace_back(name, size);
  }
  return entries;
}

std::optional<std::string> AspiSystem::configManagerValue(const std::string& entry, const char* name) {
  return stringValue(HKEY_DYN_DATA, "Config Manager\\Enum\\" + entry, name);
}

std::optional<std::string> AspiSystem::enumValue(const std::string& hardwareKey, const char* name) {
  return stringValue(HKEY_LOCAL_MACHINE, "Enum\\" + hardwareKey, name);
}

}  // namespace zrb2x::win
