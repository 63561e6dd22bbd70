#include "request_table.h"

#include <iterator>

namespace zrb2x::service {
namespace {

constexpr uint32_t kAny = 0xFFFFFFFF;
constexpr uint32_t k16 = 0xFFFF;  // a 16-bit count

// The rows, expanded from the protocol's one list of requests.
constexpr RequestRow kRows[] = {
#define ZRB_PIPE_REQUEST_ROW(name, code, direction, minLength, maxLength, footprint, fixedBytes, device, \
                             change)                                                                     \
  {code,       Operation::name, direction,    minLength,           Footprint::footprint,                 \
   fixedBytes, device,          k##maxLength, ChangeReport::change},
    ZRB_PIPE_REQUESTS(ZRB_PIPE_REQUEST_ROW)
#undef ZRB_PIPE_REQUEST_ROW
};

uint64_t bytesTouched(const RequestRow& row, const pipe::ServiceRequest& request) {
  switch (row.footprint) {
    case Footprint::None:
      return 0;
    case Footprint::Fixed:
      return row.fixedBytes;
    case Footprint::Length:
      return request.length;
    case Footprint::LengthSectors:
      return uint64_t{request.length} * pipe::kSectorBytes;
  }
  return UINT64_MAX;
}

}  // namespace

const RequestRow* findRequest(uint32_t code) {
  for (const RequestRow& row : kRows)
    if (row.code == code) return &row;
  return nullptr;
}

uint32_t checkRequest(const pipe::ServiceRequest& request, const RequestRow** rowOut) {
  *rowOut = nullptr;
  const uint64_t block = uint64_t{request.length} * request.count;
  // A transfer direction without a block: nothing to transfer into or out of.
  if (request.direction != pipe::kNoData && static_cast<uint32_t>(block) == 0)
    return pipe::status::kMissingData;
  const RequestRow* row = findRequest(request.code);
  if (!row) return pipe::status::kUnknownRequest;
  *rowOut = row;
  // The block's direction must be the operation's: a write served from a
  // block the client never sent would put uninitialised memory on the card,
  // a read into a missing block would write past it.
  if (request.direction != row->direction) return pipe::status::kMissingData;
  if (request.length < row->minLength || request.length > row->maxLength) return pipe::status::kMissingData;
  // The block is the 32-bit product; when that wrapped, the client sent (or
  // expects) far fewer bytes than length * count, and the operation, which
  // takes `length` on its own, must not run over the block.
  if (row->direction != pipe::kNoData) {
    if (block > UINT32_MAX) return pipe::status::kMissingData;
    if (bytesTouched(*row, request) > block) return pipe::status::kMissingData;
  }
  return pipe::status::kOk;
}

}  // namespace zrb2x::service
