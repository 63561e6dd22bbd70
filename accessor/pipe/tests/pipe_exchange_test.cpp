// The client's exchange and what each device operation puts on the wire.
#include <gtest/gtest.h>

#include "fake_transport.h"
#include "pipe_devices.h"
#include "pipe_exchange.h"

namespace zrb2x::pipe {
namespace {

using test::FakeTransport;
using test::Message;

Message replyMessage(uint32_t status, uint32_t systemError = 0) {
  ServiceReply r{status, systemError};
  Message m(sizeof r);
  std::memcpy(m.data(), &r, sizeof r);
  return m;
}

ServiceRequest headerOf(const Message& m) {
  ServiceRequest r{};
  EXPECT_EQ(m.size(), sizeof r);
  std::memcpy(&r, m.data(), std::min(m.size(), sizeof r));
  return r;
}

class ClientTest : public ::testing::Test {
 protected:
  ClientTest() {
    auto owned = std::make_unique<FakeTransport>();
    t = owned.get();
    devices = std::make_unique<PipeDevices>(std::move(owned));
  }
  FakeTransport* t;
  std::unique_ptr<PipeDevices> devices;
};

TEST_F(ClientTest, ReadSendsTheHeaderTakesTheBlockAndReturnsTheStatus) {
  t->toRead = {Message{1, 2, 3, 4}, replyMessage(0)};
  uint8_t data[4] = {};
  EXPECT_EQ(devices->ReadCommon(1, 0x100, 4, data), 0u);
  ASSERT_EQ(t->written.size(), 1u);
  ServiceRequest r = headerOf(t->written[0]);
  uint32_t c = r.code, dir = r.direction, dev = r.device, addr = r.address, len = r.length, cnt = r.count;
  EXPECT_EQ(c, code::kReadCommon);
  EXPECT_EQ(dir, 1u);
  EXPECT_EQ(dev, 1u);
  EXPECT_EQ(addr, 0x100u);
  EXPECT_EQ(len, 4u);
  EXPECT_EQ(cnt, 1u);
  EXPECT_EQ(data[3], 4);
  EXPECT_EQ(t->lastWait, kMutexWaitMs);
  EXPECT_EQ(t->held, 0);
  EXPECT_EQ(t->events.back(), "close");
}

TEST_F(ClientTest, EachOperationFillsTheHeaderAsTheServiceExpects) {
  struct Row {
    const char* name;
    std::function<void(PipeDevices&)> call;
    ServiceRequest expected;
  };
  static uint8_t buffer[2048];
  static DeviceTable table;
  static uint32_t word;
  const Row rows[] = {
      {"WriteSectors",
       [](PipeDevices& d) { d.WriteSectors(2, 7, 3, buffer, 512); },
       {code::kWriteSectors, 2, 2, 0, 7, 3, 512, 0, 0}},
      {"ReadSectors",
       [](PipeDevices& d) { d.ReadSectors(2, 7, 3, buffer, 512); },
       {code::kReadSectors, 1, 2, 0, 7, 3, 512, 0, 0}},
      {"GetStatus",
       [](PipeDevices& d) { d.GetStatus(1, &word); },
       {code::kGetStatus, 1, 1, 0, 0, 4, 1, 0, 0}},
      {"WriteCommon",
       [](PipeDevices& d) { d.WriteCommon(0, 9, 5, buffer); },
       {code::kWriteCommon, 2, 0, 0, 9, 5, 1, 0, 0}},
      {"WriteAttribute",
       [](PipeDevices& d) { d.WriteAttribute(0, 9, 5, buffer); },
       {code::kWriteAttribute, 2, 0, 0, 9, 5, 1, 0, 0}},
      {"ReadAttribute",
       [](PipeDevices& d) { d.ReadAttribute(0, 9, 5, buffer); },
       {code::kReadAttribute, 1, 0, 0, 9, 5, 1, 0, 0}},
      {"EraseMemory",
       [](PipeDevices& d) { d.EraseMemory(3, 1, 0x20000, 0x8000); },
       {code::kEraseMemory, 0, 3, 1, 0x20000, 0x8000, 0, 0, 0}},
      {"WriteDeviceTable",
       [](PipeDevices& d) { d.WriteDeviceTable(1, &table); },
       {code::kWriteDeviceTable, 2, 1, 0, 0, 84, 1, 0, 0}},
      {"ReadDeviceTable",
       [](PipeDevices& d) { d.ReadDeviceTable(1, &table); },
       {code::kReadDeviceTable, 1, 1, 0, 0, 84, 1, 0, 0}},
      {"ReleaseDevice", [](PipeDevices& d) { d.ReleaseDevice(4); }, {code::kRelease, 0, 4, 0, 0, 0, 0, 0, 0}},
      {"AcquireDevice", [](PipeDevices& d) { d.AcquireDevice(4); }, {code::kAcquire, 0, 4, 0, 0, 0, 0, 0, 0}},
      {"CountDevices",
       [](PipeDevices& d) { d.CountDevices(); },
       {code::kCountDevices, 1, 0, 0, 0, 4, 1, 0, 0}},
      {"VendorCommand3D",
       [](PipeDevices& d) { d.VendorCommand3D(1, 0xA0B0C0D0, 0x1234, 0x56, 0x78); },
       {code::kVendorCommand3D, 0, 1, 0, 0xA0B0C0D0, 0x1234, 0, 0x56, 0x78}},
      {"DownloadFirmware",
       [](PipeDevices& d) { d.DownloadFirmware(2, buffer, 1500); },
       {code::kDownloadFirmware, 2, 2, 0, 0, 1500, 1, 0, 0}},
      {"AtaWriteData",
       [](PipeDevices& d) { d.AtaWriteData(1, 2, buffer); },
       {code::kAtaWriteData, 2, 1, 0, 0, 2, 512, 0, 0}},
      {"AtaReadTaskFile",
       [](PipeDevices& d) { d.AtaReadTaskFile(1, buffer); },
       {code::kAtaReadTaskFile, 1, 1, 0, 0, 1, 8, 0, 0}},
  };
  for (const Row& row : rows) {
    t->written.clear();
    row.call(*devices);
    ASSERT_FALSE(t->written.empty()) << row.name;
    EXPECT_EQ(std::memcmp(t->written[0].data(), &row.expected, sizeof row.expected), 0) << row.name;
    EXPECT_EQ(t->held, 0) << row.name;
  }
}

TEST_F(ClientTest, WriteSendsTheBlockAfterTheHeader) {
  t->toRead = {replyMessage(0x27000007)};
  const uint8_t data[3] = {7, 8, 9};
  EXPECT_EQ(devices->WriteCommon(0, 0, 3, data), 0x27000007u);
  ASSERT_EQ(t->written.size(), 2u);
  EXPECT_EQ(t->written[1], (Message{7, 8, 9}));
}

TEST_F(ClientTest, MutexNotObtainedIsATimeOutAndNothingIsSent) {
  t->waits = {MutexWait::TimedOut, MutexWait::Failed};
  uint32_t status = 0;
  EXPECT_EQ(devices->GetStatus(0, &status), status::kTimeOut);
  EXPECT_EQ(devices->GetStatus(0, &status), status::kTimeOut);
  EXPECT_TRUE(t->events.empty());
  EXPECT_EQ(t->held, 0);
}

TEST_F(ClientTest, AnAbandonedMutexIsReportedAsATimeOutAndGivenBack) {
  t->waits = {MutexWait::Abandoned};
  uint32_t status = 0;
  EXPECT_EQ(devices->GetStatus(0, &status), status::kTimeOut);
  EXPECT_EQ(t->held, 0);
  EXPECT_TRUE(t->written.empty());
}

TEST_F(ClientTest, BusyPipeIsRetriedThenGivesUpAfterSixtySeconds) {
  t->opens = {PipeOpen::Busy, PipeOpen::Busy, PipeOpen::Opened};
  t->toRead = {replyMessage(0)};
  EXPECT_TRUE(devices->AcquireDevice(0));
  EXPECT_EQ(t->sleeps, (std::vector<uint32_t>{1, 10}));

  t->opens.assign(7000, PipeOpen::Busy);
  t->sleeps.clear();
  EXPECT_FALSE(devices->AcquireDevice(0));
  EXPECT_EQ(t->sleeps.size(), 6000u);
  EXPECT_EQ(t->held, 0);
}

TEST_F(ClientTest, BrokenExchangesAreCommunicationFailuresAndThePipeIsClosed) {
  uint8_t data[8];
  t->opens = {PipeOpen::Failed};
  EXPECT_EQ(devices->ReadCommon(0, 0, 8, data), status::kCommunicationFailure);
  EXPECT_EQ(t->events, (std::vector<std::string>{"open"}));

  t->events.clear();
  t->failWriteAt = 0;  // header
  EXPECT_EQ(devices->ReadCommon(0, 0, 8, data), status::kCommunicationFailure);
  EXPECT_EQ(t->events, (std::vector<std::string>{"open", "close"}));

  t->failWriteAt = 1;  // data block
  t->written.clear();
  EXPECT_EQ(devices->WriteCommon(0, 0, 8, data), status::kCommunicationFailure);

  t->failWriteAt = SIZE_MAX;
  // A service that could not allocate the block sends the reply where the
  // block should be.
  t->toRead = {replyMessage(status::kCommunicationFailure, 8)};
  EXPECT_EQ(devices->ReadCommon(0, 0, 16, data), status::kCommunicationFailure);
  t->toRead = {Message{1, 2, 3}};  // a short reply
  EXPECT_EQ(devices->EraseMemory(0, 0, 0, 2), status::kCommunicationFailure);
  t->toRead = {replyMessage(0)};
  t->closeSucceeds = false;
  EXPECT_EQ(devices->EraseMemory(0, 0, 0, 2), status::kCommunicationFailure);
  EXPECT_EQ(t->held, 0);
}

TEST_F(ClientTest, TheServicesErrorCodeBecomesTheLastError) {
  t->toRead = {replyMessage(status::kCommunicationFailure, 32)};
  EXPECT_FALSE(devices->AcquireDevice(0));
  EXPECT_EQ(t->lastError, 32u);
  LibraryOperations& library = *devices;
  EXPECT_EQ(library.LastSystemError(), 32u) << "read back through the library's interface";
  t->toRead = {replyMessage(0, 0)};
  t->lastError = 99;
  EXPECT_TRUE(devices->ReleaseDevice(0));
  EXPECT_EQ(t->lastError, 0u);  // cleared before the open, not set by a zero
}

TEST_F(ClientTest, NullBuffersAreRefusedWithoutARequest) {
  EXPECT_EQ(devices->GetStatus(0, nullptr), status::kMissingData);
  EXPECT_EQ(devices->ReadDeviceTable(0, nullptr), status::kMissingData);
  EXPECT_EQ(devices->WriteDeviceTable(0, nullptr), status::kMissingData);
  EXPECT_EQ(devices->ReadCommon(0, 0, 2, nullptr), status::kMissingData);
  EXPECT_TRUE(t->events.empty());
}

TEST_F(ClientTest, OpenAndCloseFollowTheConnection) {
  t->mutexExists = false;
  EXPECT_FALSE(devices->OpenLibrary());
  EXPECT_TRUE(t->written.empty());
  t->mutexExists = true;
  t->toRead = {replyMessage(status::kCommunicationFailure)};
  EXPECT_FALSE(devices->OpenLibrary());
  EXPECT_TRUE(devices->CloseLibrary());  // not connected: nothing sent
  EXPECT_EQ(t->written.size(), 1u);
  EXPECT_FALSE(t->mutexOpen);

  t->toRead = {replyMessage(0)};
  EXPECT_TRUE(devices->OpenLibrary());
  EXPECT_TRUE(devices->connected());
  t->toRead = {replyMessage(0)};
  EXPECT_TRUE(devices->CloseLibrary());
  EXPECT_EQ(headerOf(t->written.back()).code, code::kDetach);
  EXPECT_FALSE(devices->connected());
  EXPECT_FALSE(t->mutexOpen);
}

TEST_F(ClientTest, CountIsZeroUnlessTheServiceAnswers) {
  t->toRead = {Message{3, 0, 0, 0}, replyMessage(0)};
  EXPECT_EQ(devices->CountDevices(), 3u);
  t->toRead = {Message{3, 0, 0, 0}, replyMessage(5)};
  EXPECT_EQ(devices->CountDevices(), 0u);
  t->opens = {PipeOpen::Failed};
  EXPECT_EQ(devices->CountDevices(), 0u);
}

}  // namespace
}  // namespace zrb2x::pipe
