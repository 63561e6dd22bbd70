// Request checking and dispatch: what reaches the device backend, and what a
// malformed request is answered with.
#include <gtest/gtest.h>

#include <vector>

#include "fake_backend.h"
#include "request_dispatcher.h"
#include "request_table.h"

namespace zrb2x::service {
namespace {

using pipe::ServiceReply;
using pipe::ServiceRequest;
namespace code = pipe::code;
namespace status = pipe::status;

struct Outcome {
  uint32_t status;
  uint32_t systemError;
  std::vector<uint8_t> block;
};

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dispatcher.enumerate();
    backend.calls.clear();
  }

  // Dispatches with a block of the announced size, as the server exchange
  // would hand it over; `sent` fills a client-to-server block.
  Outcome run(ServiceRequest r, std::vector<uint8_t> sent = {}) {
    uint32_t size = (r.direction == 1 || r.direction == 2) ? pipe::announcedBlockSize(r) : 0;
    std::vector<uint8_t> block(size);
    std::copy_n(sent.begin(), std::min<size_t>(sent.size(), size), block.begin());
    ServiceReply reply = dispatcher.dispatch(r, size ? block.data() : nullptr, size);
    return {reply.status, reply.systemError, block};
  }

  test::FakeBackend backend;
  RequestDispatcher dispatcher{backend};
};

uint32_t word(const std::vector<uint8_t>& b, size_t at = 0) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// A well-formed request for every row of the table.
ServiceRequest wellFormed(const RequestRow& row) {
  ServiceRequest r = test::makeRequest(row.code, row.direction, 1);
  switch (row.footprint) {
    case Footprint::None:
      break;
    case Footprint::Fixed:
      r.length = row.fixedBytes;
      r.count = 1;
      break;
    case Footprint::Length:
      r.length = 64;
      r.count = 1;
      break;
    case Footprint::LengthSectors:
      r.length = 2;
      r.count = 512;
      break;
  }
  return r;
}

const uint32_t kAllCodes[] = {code::kAttach,
                              code::kDetach,
                              code::kCountDevices,
                              code::kQueryDriveLetter,
                              code::kQueryDiscoveryPosition,
                              code::kLoad,
                              code::kEject,
                              code::kAcquire,
                              code::kRelease,
                              code::kRezero,
                              code::kWriteDeviceTable,
                              code::kReadDeviceTable,
                              code::kInquiry,
                              code::kGetStatus,
                              code::kReadCommon,
                              code::kEraseMemory,
                              code::kWriteCommon,
                              code::kReadAttribute,
                              code::kReadCapacity,
                              code::kWriteAttribute,
                              code::kReadSectors,
                              code::kWriteSectors,
                              code::kDownloadFirmware,
                              code::kVendorCommand3D,
                              code::kAtaWriteTaskFile,
                              code::kAtaReadTaskFile,
                              code::kAtaExecute,
                              code::kAtaWriteData,
                              code::kAtaReadData};

TEST_F(DispatchTest, EveryCodeWellFormedReachesTheBackendOnceAndPassesItsResultThrough) {
  backend.result = 0x3A000002;
  for (uint32_t c : kAllCodes) {
    const RequestRow* row = findRequest(c);
    ASSERT_NE(row, nullptr) << std::hex << c;
    backend.calls.clear();
    Outcome out = run(wellFormed(*row));
    bool isServiceRequest = (c >> 16) == 0x4241;
    bool touchesBackend = c != code::kAttach && c != code::kDetach && c != code::kCountDevices;
    EXPECT_EQ(backend.calls.size(), touchesBackend ? 1u : 0u) << std::hex << c;
    EXPECT_EQ(out.status, isServiceRequest ? status::kOk : 0x3A000002u) << std::hex << c;
  }
}

TEST_F(DispatchTest, LengthBelowTheMinimumIsRefusedWithoutAnOperation) {
  for (uint32_t c : kAllCodes) {
    const RequestRow* row = findRequest(c);
    if (row->minLength == 0) continue;
    ServiceRequest r = test::makeRequest(c, row->direction, 0, row->minLength - 1,
                                         2);  // block large enough, length too small
    Outcome out = run(r);
    EXPECT_EQ(out.status, status::kMissingData) << std::hex << c;
  }
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_EQ(backend.enumerations, 1u);
}

TEST_F(DispatchTest, WrongDirectionAndMissingBlocksAreRefused) {
  // A write announced as a read would put whatever the server's buffer held
  // on the card; a read with no block would write into nothing.
  EXPECT_EQ(run(test::makeRequest(code::kWriteCommon, 1, 0, 16, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 2, 0, 16, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 0, 0, 16, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kGetStatus, 0, 0, 4, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kAcquire, 1, 0, 4, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 7, 0, 16, 1)).status, status::kMissingData);
  // A transfer direction with a zero-sized block, however it comes out zero.
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 1, 0, 16, 0)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 1, 0, 0, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 1, 0, 0x80000000, 2)).status, status::kMissingData);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(DispatchTest, BlocksSmallerThanTheOperationAreRefused) {
  // length * count wraps to 2 bytes; the operation would read 0x80000001.
  EXPECT_EQ(run(test::makeRequest(code::kReadCommon, 1, 0, 0x80000001, 2)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kWriteCommon, 2, 0, 0x80000001, 2)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kDownloadFirmware, 2, 0, 0x40000001, 4)).status,
            status::kMissingData);
  // Sectors are 512 bytes whatever `count` says the block is.
  EXPECT_EQ(run(test::makeRequest(code::kReadSectors, 1, 0, 4, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kWriteSectors, 2, 0, 4, 256)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kAtaReadData, 1, 0, 2, 1)).status, status::kMissingData);
  // Fixed-size results need their whole record.
  EXPECT_EQ(run(test::makeRequest(code::kReadCapacity, 1, 0, 4, 1)).status, status::kMissingData);
  EXPECT_EQ(run(test::makeRequest(code::kAtaReadTaskFile, 1, 0, 1, 4)).status, status::kMissingData);
  // The ATA data requests take a 16-bit sector count; a larger one is not cut down.
  EXPECT_EQ(run(test::makeRequest(code::kAtaWriteData, 2, 0, 0x10001, 512)).status, status::kMissingData);
  EXPECT_TRUE(backend.calls.empty());
  // A block larger than needed is fine.
  EXPECT_EQ(run(test::makeRequest(code::kReadSectors, 1, 0, 1, 1024)).status, status::kOk);
}

TEST_F(DispatchTest, UnknownCodesAreAnsweredAsSuch) {
  EXPECT_EQ(run(test::makeRequest(0x53430099, 0)).status, status::kUnknownRequest);
  EXPECT_EQ(run(test::makeRequest(0x4241000A, 1, 0, 4, 1)).status, status::kUnknownRequest);
  Outcome out = run(test::makeRequest(0x12345678, 2, 0, 16, 1), std::vector<uint8_t>(16, 0xAB));
  EXPECT_EQ(out.status, status::kUnknownRequest);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(DispatchTest, DeviceIndexAtTheCountIsStatus5ForEveryDeviceAddressedRequest) {
  for (uint32_t c : kAllCodes) {
    const RequestRow* row = findRequest(c);
    ServiceRequest r = wellFormed(*row);
    r.device = backend.devices;
    Outcome out = run(r);
    EXPECT_EQ(out.status, row->addressesDevice ? status::kNoSuchDevice : status::kOk) << std::hex << c;
  }
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(DispatchTest, CountDevicesReenumeratesOnlyAfterADeviceChange) {
  Outcome out = run(test::makeRequest(code::kCountDevices, 1, 0, 4, 1));
  EXPECT_EQ(word(out.block), 2u);
  backend.devices = 3;
  EXPECT_EQ(word(run(test::makeRequest(code::kCountDevices, 1, 0, 4, 1)).block), 2u);
  EXPECT_EQ(run(test::makeRequest(code::kGetStatus, 1, 2, 4, 1)).status, status::kNoSuchDevice);
  dispatcher.noteDeviceChange();
  EXPECT_EQ(word(run(test::makeRequest(code::kCountDevices, 1, 0, 4, 1)).block), 3u);
  EXPECT_EQ(run(test::makeRequest(code::kGetStatus, 1, 2, 4, 1)).status, status::kOk);
  EXPECT_EQ(backend.enumerations, 2u);
}

TEST_F(DispatchTest, SystemCallsReportTheirErrorAndQueriesTheirValue) {
  Outcome ok = run(test::makeRequest(code::kQueryDriveLetter, 1, 1, 4, 1));
  EXPECT_EQ(ok.status, status::kOk);
  EXPECT_EQ(word(ok.block), 0x43u);
  ASSERT_EQ(run(test::makeRequest(code::kAcquire, 0, 0)).status, status::kOk);  // a hold to release
  backend.systemCall = {false, 32};                                             // sharing violation
  for (uint32_t c : {code::kLoad, code::kEject, code::kAcquire, code::kRelease}) {
    Outcome out = run(test::makeRequest(c, 0, c == code::kRelease ? 0 : 1));
    EXPECT_EQ(out.status, status::kCommunicationFailure);
    EXPECT_EQ(out.systemError, 32u);
  }
  backend.systemCall = {false, pipe::kErrorNotSupported};
  Outcome failed = run(test::makeRequest(code::kQueryDiscoveryPosition, 1, 0, 4, 1));
  EXPECT_EQ(failed.systemError, pipe::kErrorNotSupported);
  EXPECT_EQ(word(failed.block), 0u);
}

TEST_F(DispatchTest, DataOperationsCarryTheHeaderFieldsAndTheBlock) {
  std::vector<uint8_t> data{1, 2, 3, 4, 5, 6};
  ServiceRequest write = test::makeRequest(code::kWriteCommon, 2, 1, 6, 1, 0x100);
  EXPECT_EQ(run(write, data).status, status::kOk);
  ServiceRequest read = test::makeRequest(code::kReadCommon, 1, 1, 6, 1, 0x100);
  EXPECT_EQ(run(read).block, data);

  ServiceRequest erase = test::makeRequest(code::kEraseMemory, 0, 1, 0x8000, 0, 0x20000);
  erase.option = 1;
  run(erase);
  ServiceRequest vendor = test::makeRequest(code::kVendorCommand3D, 0, 0, 0x1234, 0, 0xCAFEBABE);
  vendor.extraA = 0x1AB;
  vendor.extraB = 0xCD;
  run(vendor);
  Outcome capacity = run(test::makeRequest(code::kReadCapacity, 1, 0, 8, 1, 7));
  ServiceRequest sectors = test::makeRequest(code::kReadSectors, 1, 1, 3, 512, 9);
  run(sectors);
  EXPECT_EQ(word(capacity.block), 0x1000u);
  EXPECT_EQ(word(capacity.block, 4), 0x200u);
  std::vector<std::string> expected{"writeCommon 1 256 6",    "readCommon 1 256 6",
                                    "erase 1 131072 32768 1", "vendor3D 0 3405691582 4660 43981",
                                    "capacity 0 7 0",         "readSectors 1 4608 3"};
  EXPECT_EQ(backend.calls, expected);
}

TEST_F(DispatchTest, RegionTableAndStatusTravelWhole) {
  DeviceTable table{};
  table.valid = 1;
  table.region[4].size = 2048;
  std::vector<uint8_t> sent(84);
  std::memcpy(sent.data(), &table, 84);
  EXPECT_EQ(run(test::makeRequest(code::kWriteDeviceTable, 2, 0, 84, 1), sent).status, status::kOk);
  EXPECT_EQ(run(test::makeRequest(code::kReadDeviceTable, 1, 0, 84, 1)).block, sent);
  EXPECT_EQ(word(run(test::makeRequest(code::kGetStatus, 1, 0, 4, 1)).block), 0x30Fu);
}

}  // namespace
}  // namespace zrb2x::service
