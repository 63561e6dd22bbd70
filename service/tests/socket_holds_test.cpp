// Programs sharing the service: exclusive use of a socket by one program at a
// time, and socket numbers that keep leading to the same reader when the
// device list is built again under running programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "device_result.h"
#include "fake_backend.h"
#include "in_process_devices.h"
#include "request_dispatcher.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"

namespace zrb2x::service {
namespace {

namespace code = pipe::code;
namespace status = pipe::status;
using pipe::ServiceReply;
using pipe::ServiceRequest;

class FakeWatcher : public ProcessWatcher {
 public:
  std::set<ClientId> ended;
  std::unique_ptr<ProcessLife> watch(ClientId client) override {
    return std::make_unique<Life>(*this, client);
  }

 private:
  struct Life : ProcessLife {
    Life(FakeWatcher& w, ClientId c) : watcher(w), client(c) {}
    bool ended() override { return watcher.ended.count(client) != 0; }
    FakeWatcher& watcher;
    ClientId client;
  };
};

constexpr ClientId kFirst = 100, kSecond = 200, kThird = 300;

struct Answer {
  ServiceReply reply;
  std::vector<uint8_t> block;
};

Answer send(RequestDispatcher& d, ClientId client, ServiceRequest r, std::vector<uint8_t> out = {}) {
  const uint32_t size = r.direction ? pipe::announcedBlockSize(r) : 0;
  std::vector<uint8_t> block(size);
  std::copy_n(out.begin(), std::min<size_t>(out.size(), size), block.begin());
  ServiceReply reply = d.dispatch(r, size ? block.data() : nullptr, size, client);
  return {reply, block};
}

ServiceReply take(RequestDispatcher& d, ClientId c, uint32_t socket) {
  return send(d, c, test::makeRequest(code::kAcquire, 0, socket)).reply;
}
ServiceReply give(RequestDispatcher& d, ClientId c, uint32_t socket) {
  return send(d, c, test::makeRequest(code::kRelease, 0, socket)).reply;
}
uint32_t count(RequestDispatcher& d, ClientId c) {
  Answer a = send(d, c, test::makeRequest(code::kCountDevices, 1, 0, 4, 1));
  uint32_t n;
  std::memcpy(&n, a.block.data(), 4);
  return n;
}

class ExclusiveUseTest : public ::testing::Test {
 protected:
  void SetUp() override { dispatcher.enumerate(); }
  size_t callsNamed(const std::string& call) {
    return static_cast<size_t>(std::count(backend.calls.begin(), backend.calls.end(), call + " 0 0 0"));
  }
  test::FakeBackend backend;
  FakeWatcher watcher;
  RequestDispatcher dispatcher{backend, &watcher};
};

TEST_F(ExclusiveUseTest, AnotherProgramCanNeitherTakeNorFreeAHeldSocket) {
  EXPECT_EQ(take(dispatcher, kFirst, 0).status, status::kOk);
  ServiceReply refused = take(dispatcher, kSecond, 0);
  EXPECT_EQ(refused.status, status::kCommunicationFailure);
  EXPECT_EQ(refused.systemError, kErrorBusy);
  // The other program's release frees nothing: the holder keeps the socket.
  EXPECT_EQ(give(dispatcher, kSecond, 0).status, status::kOk);
  EXPECT_EQ(callsNamed("release"), 0u);
  EXPECT_EQ(take(dispatcher, kSecond, 0).status, status::kCommunicationFailure);
  // The holder takes again without trouble, other sockets stay free, and its
  // own release lets the other program in.
  EXPECT_EQ(take(dispatcher, kFirst, 0).status, status::kOk);
  EXPECT_EQ(take(dispatcher, kSecond, 1).status, status::kOk);
  EXPECT_EQ(give(dispatcher, kFirst, 0).status, status::kOk);
  EXPECT_EQ(callsNamed("release"), 1u);
  EXPECT_EQ(take(dispatcher, kSecond, 0).status, status::kOk);
}

TEST_F(ExclusiveUseTest, AHolderThatEndsOrDetachesLosesItsHold) {
  ASSERT_EQ(take(dispatcher, kFirst, 0).status, status::kOk);
  watcher.ended.insert(kFirst);
  EXPECT_EQ(take(dispatcher, kSecond, 0).status, status::kOk);
  EXPECT_EQ(callsNamed("release"), 1u);  // the ended holder's hold was let go first

  ASSERT_EQ(send(dispatcher, kSecond, test::makeRequest(code::kDetach, 0, 0)).reply.status, status::kOk);
  EXPECT_EQ(callsNamed("release"), 2u);
  EXPECT_EQ(take(dispatcher, kThird, 0).status, status::kOk);
}

TEST_F(ExclusiveUseTest, ClientsTheSystemCannotNameShareOneHold) {
  // Where the system gives no client process, the service cannot tell
  // programs apart and behaves as one shared device link.
  EXPECT_EQ(take(dispatcher, kUnknownClient, 0).status, status::kOk);
  EXPECT_EQ(take(dispatcher, kUnknownClient, 0).status, status::kOk);
  EXPECT_EQ(take(dispatcher, kSecond, 0).status, status::kCommunicationFailure);
}

// The real device library over virtual readers in a folder.
class RescanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    addReader("r1", 0xA1);
    addReader("r2", 0xA2);
    ASSERT_TRUE(devices->OpenLibrary());
    dispatcher.enumerate();
  }
  void addReader(const std::string& name, uint8_t fill) {
    const auto folder = scratch.path() / name;
    ASSERT_EQ(virt::createReader(folder, {}), "");
    ASSERT_EQ(virt::insertCard(folder, virt::CardTemplate::Sram, {}), "");
    ASSERT_EQ(virt::changeReader(folder, [](auto& s) { s.attentionPending = false; }), "");
    marks[name] = fill;
  }
  void rescan() {
    dispatcher.noteDeviceChange();
    count(dispatcher, kThird);
  }
  Answer read(ClientId c, uint32_t socket) {
    return send(dispatcher, c, test::makeRequest(code::kReadCommon, 1, socket, 16, 1, 0x100));
  }
  uint32_t write(ClientId c, uint32_t socket, uint8_t value) {
    return send(dispatcher, c, test::makeRequest(code::kWriteCommon, 2, socket, 16, 1, 0x100),
                std::vector<uint8_t>(16, value))
        .reply.status;
  }
  Answer status(ClientId c, uint32_t socket) {
    return send(dispatcher, c, test::makeRequest(code::kGetStatus, 1, socket, 4, 1));
  }

  zrb::test::ScratchDir scratch;
  std::map<std::string, uint8_t> marks;
  std::unique_ptr<InProcessDevices> devices = InProcessDevices::forVirtualReaders(scratch.path());
  FakeWatcher watcher;
  RequestDispatcher dispatcher{*devices, &watcher};
};

TEST_F(RescanTest, AReaderThatSortsEarlierDoesNotMoveTheRunningProgramsSockets) {
  ASSERT_EQ(count(dispatcher, kFirst), 2u);
  ASSERT_EQ(write(kFirst, 0, 0xA1), 0u);  // marks the card of r1
  ASSERT_EQ(write(kFirst, 1, 0xA2), 0u);
  ASSERT_EQ(take(dispatcher, kFirst, 0).status, status::kOk);

  addReader("r0", 0xB0);
  ASSERT_EQ(write(kFirst, 0, 0xA1), 0u);
  rescan();
  EXPECT_EQ(count(dispatcher, kSecond), 3u);
  // Socket 0 is still r1's card, without a card change (its reader did not
  // change); the new reader took the next number.
  Answer same = read(kFirst, 0);
  EXPECT_EQ(same.reply.status, 0u);
  EXPECT_EQ(same.block, std::vector<uint8_t>(16, 0xA1));
  EXPECT_EQ(read(kFirst, 1).block, std::vector<uint8_t>(16, 0xA2));
  EXPECT_EQ(write(kSecond, 2, 0xB0), 0u);
  EXPECT_EQ(read(kSecond, 2).block, std::vector<uint8_t>(16, 0xB0));
  // The hold survived the rescan.
  EXPECT_EQ(take(dispatcher, kSecond, 0).status, status::kCommunicationFailure);
}

TEST_F(RescanTest, AVanishedReadersNumberAnswersNoCardAndComesToANewReaderOnlyWithACardChange) {
  ASSERT_EQ(count(dispatcher, kFirst), 2u);
  std::filesystem::remove_all(scratch.path() / "r1");
  rescan();
  EXPECT_EQ(count(dispatcher, kSecond), 2u);  // the number stays, vacant
  // The running program hears of the change once, then the slot is empty.
  EXPECT_EQ(write(kFirst, 0, 0x55), zrb2x::result::kCardChanged);
  EXPECT_EQ(write(kFirst, 0, 0x55), zrb2x::result::kMediumNotPresent);
  EXPECT_EQ(status(kFirst, 0).reply.status, zrb2x::result::kNotReady);
  EXPECT_EQ(read(kFirst, 1).reply.status, 0u);  // r2 is where it was

  // While programs that knew r1 run, a new reader does not take its number.
  addReader("r3", 0xA3);
  rescan();
  EXPECT_EQ(count(dispatcher, kFirst), 3u);
  EXPECT_EQ(write(kFirst, 2, 0xA3), 0u);

  // Once they are gone the number is free again; a program that used the
  // empty number is told of the card change before it reaches the new card.
  send(dispatcher, kFirst, test::makeRequest(code::kDetach, 0, 0));
  watcher.ended.insert(kSecond);
  watcher.ended.insert(kThird);
  const ClientId later = 400;
  EXPECT_EQ(status(later, 0).reply.status, zrb2x::result::kNotReady);
  addReader("r4", 0xA4);
  dispatcher.noteDeviceChange();
  EXPECT_EQ(count(dispatcher, 500), 3u);
  Answer told = status(later, 0);
  EXPECT_EQ(told.reply.status, zrb2x::result::kNotReady);  // shown empty once ...
  Answer now = status(later, 0);
  EXPECT_EQ(now.reply.status, 0u);  // ... then with the new card
  EXPECT_EQ(write(later, 0, 0xA4), 0u);
  EXPECT_EQ(read(500, 0).block, std::vector<uint8_t>(16, 0xA4));
}

}  // namespace
}  // namespace zrb2x::service
