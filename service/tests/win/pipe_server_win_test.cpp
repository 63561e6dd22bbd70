// The Win32 pipe server in the test's own process, reached by the pipe client
// and by a raw client: real named pipes, overlapped I/O, virtual readers.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <atomic>
#include <thread>

#include "hostile_requests.h"
#include "in_process_server.h"
#include "pipe_devices.h"
#include "raw_pipe_client.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"
#include "win32_pipe_transport.h"

namespace zrb2x::service::test {
namespace {

namespace code = pipe::code;
namespace status = pipe::status;

class PipeServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    addReader("r0", virt::CardTemplate::Sram);
    addReader("r1", virt::CardTemplate::Ata);
    server = std::make_unique<InProcessServer>(scratch.path());
  }
  void addReader(const std::string& name, virt::CardTemplate card) {
    ASSERT_EQ(virt::createReader(scratch.path() / name, {}), "");
    ASSERT_EQ(virt::insertCard(scratch.path() / name, card, {}), "");
    // The card change an insert causes is tested elsewhere; start settled.
    ASSERT_EQ(virt::changeReader(scratch.path() / name, [](auto& s) { s.attentionPending = false; }), "");
  }
  std::unique_ptr<pipe::PipeDevices> client() {
    auto devices = std::make_unique<pipe::PipeDevices>(
        pipe::makeWin32PipeTransport(server->pipeName().c_str(), server->mutexName().c_str()));
    EXPECT_TRUE(devices->OpenLibrary());
    return devices;
  }
  // The server answers a plain status request.
  void expectServing() {
    auto devices = client();
    uint32_t word = 0;
    EXPECT_EQ(devices->GetStatus(0, &word), 0u);
    EXPECT_NE(word & 0x300, 0u);
  }

  zrb::test::ScratchDir scratch;
  std::unique_ptr<InProcessServer> server;
};

TEST_F(PipeServerTest, ClientReachesVirtualCardsWithDataIntact) {
  auto devices = client();
  EXPECT_EQ(devices->CountDevices(), 2u);
  std::vector<uint8_t> pattern(1 << 20);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 31 + (i >> 12));
  EXPECT_EQ(devices->WriteCommon(0, 0, static_cast<uint32_t>(pattern.size()), pattern.data()), 0u);
  std::vector<uint8_t> back(pattern.size());
  EXPECT_EQ(devices->ReadCommon(0, 0, static_cast<uint32_t>(back.size()), back.data()), 0u);
  EXPECT_EQ(back, pattern);
  DeviceTable table{};
  EXPECT_EQ(devices->ReadDeviceTable(0, &table), 0u);
  uint32_t kind = table.region[0].kind;
  EXPECT_EQ(kind, 6u);

  std::vector<uint8_t> sectors(8 * 512, 0x5A);
  EXPECT_EQ(devices->WriteSectors(1, 3, 8, sectors.data(), 512), 0u);
  std::vector<uint8_t> sectorsBack(sectors.size());
  EXPECT_EQ(devices->ReadSectors(1, 3, 8, sectorsBack.data(), 512), 0u);
  EXPECT_EQ(sectorsBack, sectors);
  EXPECT_EQ(devices->GetStatus(2, &kind), status::kNoSuchDevice);
  // Nothing to read is refused by the service (the in-process binding says 0).
  uint8_t byte;
  EXPECT_EQ(devices->ReadCommon(0, 0, 0, &byte), status::kMissingData);
  EXPECT_TRUE(devices->CloseLibrary());
}

TEST_F(PipeServerTest, MalformedAndHostileRequestsAreAnsweredAndTheServerStaysUp) {
  sendHostileRequests(server->pipeName());
  EXPECT_TRUE(server->running());
  expectServing();
  // The card was never touched by any of them.
  auto devices = client();
  uint8_t first[2];
  EXPECT_EQ(devices->ReadCommon(0, 0, 2, first), 0u);
  EXPECT_NE(first[0], 0xEE);
}

TEST_F(PipeServerTest, AClientThatGoesAwayMidExchangeDoesNotStopTheServer) {
  {
    RawPipeClient raw(server->pipeName());
    ASSERT_TRUE(raw.send(request(code::kWriteCommon, 2, 0, 4096, 1)));
  }  // closed before the block
  {
    RawPipeClient raw(server->pipeName());
    ASSERT_TRUE(raw.send(request(code::kReadCommon, 1, 0, 1 << 20, 1)));
  }  // closed before taking the block
  expectServing();
}

TEST_F(PipeServerTest, AClientThatHangsIsDroppedAndTheNextOneServed) {
  server.reset();
  server = std::make_unique<InProcessServer>(scratch.path(), 300);
  RawPipeClient silent(server->pipeName());  // connects and never says a word
  ASSERT_TRUE(silent.connected());
  RawPipeClient stalled(server->pipeName());  // announces a block and never sends it
  ASSERT_TRUE(stalled.send(request(code::kWriteCommon, 2, 0, 64, 1)));
  auto devices = client();  // waits on the busy pipe meanwhile
  uint32_t word = 0;
  EXPECT_EQ(devices->GetStatus(0, &word), 0u);
  EXPECT_TRUE(server->running());
}

TEST_F(PipeServerTest, StoppingWhileAClientWaitsCutsItOffPromptly) {
  RawPipeClient raw(server->pipeName(), 3000);
  ASSERT_TRUE(raw.send(request(code::kWriteCommon, 2, 0, 16, 1)));
  Sleep(100);
  EXPECT_TRUE(server->stop(5000));
  EXPECT_EQ(raw.reply().status, 0xFFFFFFFFu);  // no reply, the read fails
}

TEST_F(PipeServerTest, ADevicePluggedInIsCountedAfterADeviceChangeMessage) {
  auto devices = client();
  EXPECT_EQ(devices->CountDevices(), 2u);
  addReader("r2", virt::CardTemplate::Flash28F008);
  EXPECT_EQ(devices->CountDevices(), 2u);
  ASSERT_NE(server->notifierWindow(), nullptr);
  SendMessageA(server->notifierWindow(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  EXPECT_EQ(devices->CountDevices(), 3u);
}

TEST_F(PipeServerTest, ClientsOnSeveralThreadsKeepTheirDataApart) {
  constexpr int kClients = 4;
  constexpr uint32_t kSpan = 16384;
  std::atomic<int> mismatches{0}, failures{0};
  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([&, c] {
      auto devices = client();
      std::vector<uint8_t> data(kSpan), back(kSpan);
      for (int round = 0; round < 20; ++round) {
        for (uint32_t i = 0; i < kSpan; ++i) data[i] = static_cast<uint8_t>(c * 67 + round * 13 + i);
        uint32_t address = c * kSpan;
        if (devices->WriteCommon(0, address, kSpan, data.data()) != 0) ++failures;
        if (devices->ReadCommon(0, address, kSpan, back.data()) != 0) ++failures;
        if (back != data) ++mismatches;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace zrb2x::service::test
