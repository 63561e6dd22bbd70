// The request table of the access service: for every request code the data
// direction it needs, the least `length` it accepts, how many bytes of the data
// block its operation touches, and whether it addresses a device.
#pragma once

#include <cstdint>

#include "pipe_protocol.h"

namespace zrb2x::service {

// One operation per request of the protocol, in the order of its list.
enum class Operation {
#define ZRB_PIPE_REQUEST_OPERATION(name, ...) name,
  ZRB_PIPE_REQUESTS(ZRB_PIPE_REQUEST_OPERATION)
#undef ZRB_PIPE_REQUEST_OPERATION
};

// How many bytes of the data block the operation reads or fills.
enum class Footprint {
  None,           // no data block
  Fixed,          // `fixedBytes`
  Length,         // `length` bytes
  LengthSectors,  // `length` sectors of 512 bytes
};

// How a request meets a socket whose reader changed since the program last
// heard of it: a status answer shows the slot empty once, a card command is
// answered once with a card change (as a reader-writer reports a new card);
// the others are not told.
enum class ChangeReport { None, Status, Command };

struct RequestRow {
  uint32_t code;
  Operation operation;
  uint32_t direction;
  uint32_t minLength;
  Footprint footprint;
  uint32_t fixedBytes;
  bool addressesDevice;
  uint32_t maxLength;  // the operation takes `length` in fewer bits (16-bit counts)
  ChangeReport change;
};

const RequestRow* findRequest(uint32_t code);

// 0 when the request may be carried out, else the status to reply with
// (unknown code, or the data block does not hold what the operation needs).
// `row` receives the table row of a known code. The device index is checked
// later, against the device table of the moment.
uint32_t checkRequest(const pipe::ServiceRequest& request, const RequestRow** row);

}  // namespace zrb2x::service
