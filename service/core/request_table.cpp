#include "request_table.h"

#include <iterator>

namespace zrb2x::service {
namespace {

using namespace pipe::code;
using F = Footprint;
using O = Operation;
constexpr uint32_t kAny = 0xFFFFFFFF;
constexpr uint32_t k16Bit = 0xFFFF;

// clang-format off
constexpr RequestRow kRows[] = {
    // code                  operation                 dir min  footprint   fixed device maxLength
    {kAttach,                O::Attach,                 0, 0,  F::None,          0, false, kAny},
    {kDetach,                O::Detach,                 0, 0,  F::None,          0, false, kAny},
    {kCountDevices,          O::CountDevices,           1, 4,  F::Fixed,         4, false, kAny},
    {kQueryDriveLetter,      O::QueryDriveLetter,       1, 4,  F::Fixed,         4, true,  kAny},
    {kQueryDiscoveryPosition,O::QueryDiscoveryPosition, 1, 4,  F::Fixed,         4, true,  kAny},
    {kLoad,                  O::Load,                   0, 0,  F::None,          0, true,  kAny},
    {kEject,                 O::Eject,                  0, 0,  F::None,          0, true,  kAny},
    {kAcquire,               O::Acquire,                0, 0,  F::None,          0, true,  kAny},
    {kRelease,               O::Release,                0, 0,  F::None,          0, true,  kAny},
    {kRezero,                O::Rezero,                 0, 0,  F::None,          0, true,  kAny},
    {kWriteDeviceTable,      O::WriteDeviceTable,       2, 84, F::Fixed,        84, true,  kAny},
    {kReadDeviceTable,       O::ReadDeviceTable,        1, 84, F::Fixed,        84, true,  kAny},
    {kInquiry,               O::Inquiry,                1, 36, F::Fixed,        36, true,  kAny},
    {kGetStatus,             O::GetStatus,              1, 4,  F::Fixed,         4, true,  kAny},
    {kReadCommon,            O::ReadCommon,             1, 0,  F::Length,        0, true,  kAny},
    {kEraseMemory,           O::EraseMemory,            0, 0,  F::None,          0, true,  kAny},
    {kWriteCommon,           O::WriteCommon,            2, 0,  F::Length,        0, true,  kAny},
    {kReadAttribute,         O::ReadAttribute,          1, 0,  F::Length,        0, true,  kAny},
    {kReadCapacity,          O::ReadCapacity,           1, 0,  F::Fixed,         8, true,  kAny},
    {kWriteAttribute,        O::WriteAttribute,         2, 0,  F::Length,        0, true,  kAny},
    {kReadSectors,           O::ReadSectors,            1, 0,  F::LengthSectors, 0, true,  kAny},
    {kWriteSectors,          O::WriteSectors,           2, 0,  F::LengthSectors, 0, true,  kAny},
    {kDownloadFirmware,      O::DownloadFirmware,       2, 0,  F::Length,        0, true,  kAny},
    {kVendorCommand3D,       O::VendorCommand3D,        0, 0,  F::None,          0, true,  kAny},
    {kAtaWriteTaskFile,      O::AtaWriteTaskFile,       2, 0,  F::Fixed,         8, true,  kAny},
    {kAtaReadTaskFile,       O::AtaReadTaskFile,        1, 0,  F::Fixed,         8, true,  kAny},
    {kAtaExecute,            O::AtaExecute,             0, 0,  F::None,          0, true,  kAny},
    {kAtaWriteData,          O::AtaWriteData,           2, 0,  F::LengthSectors, 0, true,  k16Bit},
    {kAtaReadData,           O::AtaReadData,            1, 0,  F::LengthSectors, 0, true,  k16Bit},
};
// clang-format on

uint64_t bytesTouched(const RequestRow& row, const pipe::ServiceRequest& request) {
  switch (row.footprint) {
    case F::None:
      return 0;
    case F::Fixed:
      return row.fixedBytes;
    case F::Length:
      return request.length;
    case F::LengthSectors:
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
