#include "request_table.h"

#include <iterator>

namespace zrb2x::service {
namespace {

using namespace pipe::code;
using F = Footprint;
using O = Operation;
using C = ChangeReport;
constexpr uint32_t kAny = 0xFFFFFFFF;
constexpr uint32_t k16Bit = 0xFFFF;

// clang-format off
constexpr RequestRow kRows[] = {
    // code                  operation                 dir min  footprint   fixed device maxLength  card change
    {kAttach,                O::Attach,                 0, 0,  F::None,          0, false, kAny, C::None},
    {kDetach,                O::Detach,                 0, 0,  F::None,          0, false, kAny, C::None},
    {kCountDevices,          O::CountDevices,           1, 4,  F::Fixed,         4, false, kAny, C::None},
    {kQueryDriveLetter,      O::QueryDriveLetter,       1, 4,  F::Fixed,         4, true,  kAny, C::None},
    {kQueryDiscoveryPosition,O::QueryDiscoveryPosition, 1, 4,  F::Fixed,         4, true,  kAny, C::None},
    {kLoad,                  O::Load,                   0, 0,  F::None,          0, true,  kAny, C::None},
    {kEject,                 O::Eject,                  0, 0,  F::None,          0, true,  kAny, C::None},
    {kAcquire,               O::Acquire,                0, 0,  F::None,          0, true,  kAny, C::None},
    {kRelease,               O::Release,                0, 0,  F::None,          0, true,  kAny, C::None},
    {kRezero,                O::Rezero,                 0, 0,  F::None,          0, true,  kAny, C::Command},
    {kWriteDeviceTable,      O::WriteDeviceTable,       2, 84, F::Fixed,        84, true,  kAny, C::Command},
    {kReadDeviceTable,       O::ReadDeviceTable,        1, 84, F::Fixed,        84, true,  kAny, C::Command},
    {kInquiry,               O::Inquiry,                1, 36, F::Fixed,        36, true,  kAny, C::None},
    {kGetStatus,             O::GetStatus,              1, 4,  F::Fixed,         4, true,  kAny, C::Status},
    {kReadCommon,            O::ReadCommon,             1, 0,  F::Length,        0, true,  kAny, C::Command},
    {kEraseMemory,           O::EraseMemory,            0, 0,  F::None,          0, true,  kAny, C::Command},
    {kWriteCommon,           O::WriteCommon,            2, 0,  F::Length,        0, true,  kAny, C::Command},
    {kReadAttribute,         O::ReadAttribute,          1, 0,  F::Length,        0, true,  kAny, C::Command},
    {kReadCapacity,          O::ReadCapacity,           1, 0,  F::Fixed,         8, true,  kAny, C::Command},
    {kWriteAttribute,        O::WriteAttribute,         2, 0,  F::Length,        0, true,  kAny, C::Command},
    {kReadSectors,           O::ReadSectors,            1, 0,  F::LengthSectors, 0, true,  kAny, C::Command},
    {kWriteSectors,          O::WriteSectors,           2, 0,  F::LengthSectors, 0, true,  kAny, C::Command},
    {kDownloadFirmware,      O::DownloadFirmware,       2, 0,  F::Length,        0, true,  kAny, C::Command},
    {kVendorCommand3D,       O::VendorCommand3D,        0, 0,  F::None,          0, true,  kAny, C::Command},
    {kAtaWriteTaskFile,      O::AtaWriteTaskFile,       2, 0,  F::Fixed,         8, true,  kAny, C::Command},
    {kAtaReadTaskFile,       O::AtaReadTaskFile,        1, 0,  F::Fixed,         8, true,  kAny, C::Command},
    {kAtaExecute,            O::AtaExecute,             0, 0,  F::None,          0, true,  kAny, C::Command},
    {kAtaWriteData,          O::AtaWriteData,           2, 0,  F::LengthSectors, 0, true,  k16Bit, C::Command},
    {kAtaReadData,           O::AtaReadData,            1, 0,  F::LengthSectors, 0, true,  k16Bit, C::Command},
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
