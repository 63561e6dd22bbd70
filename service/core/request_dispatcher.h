// Carries out one checked request on the device library and keeps the state
// of the pipe thread: the socket numbers (stable across rescans), the
// programs being served with their holds, and the pending re-enumeration
// flag, the only thing the device-change window touches.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>

#include "client_registry.h"
#include "library_operations.h"
#include "pipe_protocol.h"
#include "socket_table.h"

namespace zrb2x::service {

// What a take of a socket held by another program fails with, as the
// client's last error: the resource is in use.
constexpr uint32_t kErrorBusy = 170;
// What a request on the vacant number of a reader that went away fails with.
constexpr uint32_t kErrorNotReady = 21;

class RequestDispatcher {
 public:
  // `watcher` tells when a client's process has ended; without one a program
  // keeps its holds until it detaches.
  explicit RequestDispatcher(LibraryOperations& devices, ProcessWatcher* watcher = nullptr)
      : devices_(devices), clients_(watcher) {}

  // The device-change window's only effect; any thread.
  void noteDeviceChange() { reenumerationPending_.exchange(1); }
  // Pipe thread: rebuild the device table when a change is pending.
  void reenumerateIfPending();
  // Pipe thread: clear the flag and build the device table now.
  void enumerate();
  uint32_t deviceCount() const { return sockets_.count(); }

  // `block` is the data block of the exchange (`blockSize` bytes, the
  // announced 32-bit size; null when no block flows). Reads fill it, writes
  // take their data from it. `client` is the program on the other end.
  pipe::ServiceReply dispatch(const pipe::ServiceRequest& request, uint8_t* block, uint32_t blockSize,
                              ClientId client = kUnknownClient);

 private:
  pipe::ServiceReply carryOut(const pipe::ServiceRequest& r, uint32_t device, uint8_t* block);
  pipe::ServiceReply acquire(uint32_t number, uint32_t device, ClientId client);
  pipe::ServiceReply release(uint32_t number, const SocketSlot& slot, ClientId client);
  void dropHoldsOf(ClientId client);
  bool reusable(uint32_t number) const;

  LibraryOperations& devices_;
  std::atomic<uint32_t> reenumerationPending_{0};
  uint64_t generation_ = 0;  // counts the rescans
  SocketTable sockets_;
  ClientRegistry clients_;
  std::map<uint32_t, ClientId> holders_;  // socket number -> the program holding it
};

}  // namespace zrb2x::service
