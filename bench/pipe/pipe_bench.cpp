// Throughput of a 16 MiB SRAM card in 64 KiB calls, as the card utility
// moves data: the virtual reader-writer driven directly in this process (the
// reference), the pipe client against the installed service, and the whole
// path through slothub.dll and veskci2xs.dll to the service. Every pass is
// checked against the pattern written. Run under Wine: bench/pipe/run.
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "card_manager_binding.h"
#include "card_service.h"
#include "in_process_devices.h"
#include "pipe_devices.h"
#include "scratch_dir.h"
#include "service_control.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_module_loader.h"
#include "win32_pipe_transport.h"

namespace {

using namespace zrb2x;
constexpr uint32_t kCardSize = 16u << 20;
constexpr uint32_t kCall = 64u << 10;

// Moves the whole card in 64 KiB calls; returns MB/s, or -1 when a call failed.
double pass(const std::function<uint32_t(uint32_t offset, uint8_t* data)>& call,
            std::vector<uint8_t>& buffer) {
  auto start = std::chrono::steady_clock::now();
  for (uint32_t offset = 0; offset < kCardSize; offset += kCall)
    if (call(offset, buffer.data() + offset) != 0) return -1;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return kCardSize / 1e6 / seconds;
}

struct Row {
  std::string path;
  double write = -1, read = -1;
  bool intact = false;
  std::string note;
};

std::vector<uint8_t> pattern(uint8_t seed) {
  std::vector<uint8_t> bytes(kCardSize);
  for (uint32_t i = 0; i < kCardSize; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 16));
  return bytes;
}

Row measure(const std::string& path, uint8_t seed, const std::function<uint32_t(uint32_t, uint8_t*)>& write,
            const std::function<uint32_t(uint32_t, uint8_t*)>& read) {
  Row row;
  row.path = path;
  std::vector<uint8_t> data = pattern(seed), back(kCardSize, 0);
  row.write = pass(write, data);
  row.read = pass(read, back);
  row.intact = row.write > 0 && row.read > 0 && back == data;
  return row;
}

double directStatusSeconds = 0;

Row direct(const std::filesystem::path& root) {
  auto devices = InProcessDevices::forVirtualReaders(root);
  uint32_t status = 0;
  if (!devices->OpenLibrary() || devices->CountDevices() < 1)
    return {"virtual reader, direct", -1, -1, false, "no reader"};
  devices->GetStatus(0, &status);  // takes the card change of the insert
  Row row = measure(
      "virtual reader, direct", 1,
      [&](uint32_t o, uint8_t* p) { return devices->WriteCommon(0, o, kCall, p); },
      [&](uint32_t o, uint8_t* p) { return devices->ReadCommon(0, o, kCall, p); });
  constexpr int kRequests = 500;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRequests; ++i) devices->GetStatus(0, &status);
  directStatusSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRequests;
  return row;
}

// The pipe transport timing each of its steps, so the cost of an exchange
// can be told apart: mutex, open (with busy waits), messages, close.
class TimingTransport final : public pipe::PipeTransport {
 public:
  enum Step { Mutex, Open, Sleep, Write, Read, Close, kSteps };
  static constexpr const char* kNames[kSteps] = {"mutex", "open", "busy sleep", "write", "read", "close"};

  std::array<double, kSteps> seconds{};
  uint32_t sleeps = 0;

  template <typename F>
  auto timed(Step step, F f) -> decltype(f()) {
    auto start = std::chrono::steady_clock::now();
    auto result = f();
    seconds[step] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
  }

  explicit TimingTransport(std::unique_ptr<pipe::PipeTransport> inner) : inner_(std::move(inner)) {}
  bool openMutex() override { return inner_->openMutex(); }
  void closeMutex() override { inner_->closeMutex(); }
  pipe::MutexWait waitMutex(uint32_t ms) override {
    return timed(Mutex, [&] { return inner_->waitMutex(ms); });
  }
  void releaseMutex() override { inner_->releaseMutex(); }
  pipe::PipeOpen openPipe() override {
    return timed(Open, [&] { return inner_->openPipe(); });
  }
  bool writeMessage(const void* d, uint32_t n) override {
    return timed(Write, [&] { return inner_->writeMessage(d, n); });
  }
  bool readMessage(void* d, uint32_t n) override {
    return timed(Read, [&] { return inner_->readMessage(d, n); });
  }
  bool closePipe() override {
    return timed(Close, [&] { return inner_->closePipe(); });
  }
  void sleep(uint32_t ms) override {
    ++sleeps;
    timed(Sleep, [&] {
      inner_->sleep(ms);
      return 0;
    });
  }
  void setLastError(uint32_t e) override { inner_->setLastError(e); }
  uint32_t readLastError() override { return inner_->readLastError(); }

 private:
  std::unique_ptr<pipe::PipeTransport> inner_;
};

// The fixed cost of one exchange: a status request carries 4 bytes.
void exchangeCost() {
  auto owned = std::make_unique<TimingTransport>(pipe::makeWin32PipeTransport());
  TimingTransport* timing = owned.get();
  pipe::PipeDevices devices(std::move(owned));
  if (!devices.OpenLibrary()) return;
  constexpr int kRequests = 500;
  uint32_t status = 0;
  timing->seconds.fill(0);
  timing->sleeps = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRequests; ++i) devices.GetStatus(0, &status);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "one status request: %.0f us through the pipe, %.0f us direct; through the pipe the client spends\n",
      seconds / kRequests * 1e6, directStatusSeconds * 1e6);
  for (int step = 0; step < TimingTransport::kSteps; ++step)
    std::printf("  %-10s %6.0f us\n", TimingTransport::kNames[step], timing->seconds[step] / kRequests * 1e6);
  std::printf("  (%.2f busy-pipe waits per request; the reply read includes the service's work)\n",
              double(timing->sleeps) / kRequests);
}

Row pipeClient() {
  auto devices = pipe::makeServicePipeDevices();
  if (!devices->OpenLibrary() || devices->CountDevices() < 1)
    return {"pipe client -> service", -1, -1, false, "no service"};
  uint32_t status = 0;
  devices->GetStatus(0, &status);
  return measure(
      "pipe client -> service", 2,
      [&](uint32_t o, uint8_t* p) { return devices->WriteCommon(0, o, kCall, p); },
      [&](uint32_t o, uint8_t* p) { return devices->ReadCommon(0, o, kCall, p); });
}

Row slothub() {
  Row none{"slothub.dll -> service", -1, -1, false, ""};
  // The manager bound by name from the deliverables' folder, as programs bind it.
  SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding manager(loader);
  Row row = none;
  cardservice::ManagerInfo info{};
  if (manager.bind() != cardservice::CS_OK ||
      manager.veskcm(cardservice::FN_INFO, 0, 0, 0, sizeof info, &info) != 0 || info.socketCount == 0) {
    row.note = "no socket: the card manager or the accessor did not attach";
  } else {
    auto call = [&](uint32_t code, uint32_t offset, uint8_t* data) {
      cardservice::SlotRequest request{0, 0, offset};
      return static_cast<uint32_t>(manager.service(code, &request, data, kCall));
    };
    uint8_t status = 0;
    call(cardservice::FN_STATUS, 0, &status);
    row = measure(
        "slothub.dll -> service", 3,
        [&](uint32_t o, uint8_t* p) { return call(cardservice::FN_WRITE, o, p); },
        [&](uint32_t o, uint8_t* p) { return call(cardservice::FN_READ, o, p); });
  }
  return row;  // the binding closes the manager and frees it
}

void print(const Row& row) {
  if (row.write < 0) {
    std::printf("%-26s %10s %10s  %s\n", row.path.c_str(), "-", "-", row.note.c_str());
    return;
  }
  std::printf("%-26s %10.1f %10.1f  %s\n", row.path.c_str(), row.write, row.read,
              row.intact ? "data intact" : "DATA DIFFERS");
}

}  // namespace

int main() {
  zrb::test::ScratchDir scratch;
  virt::InsertOptions card;
  card.size = kCardSize;
  if (!virt::createReader(scratch / "r0", {}).empty() ||
      !virt::insertCard(scratch / "r0", virt::CardTemplate::Sram, card).empty()) {
    std::printf("cannot make the virtual reader\n");
    return 1;
  }
  std::printf("16 MiB SRAM card in 64 KiB calls, MB/s\n%-26s %10s %10s\n", "path", "write", "read");
  std::vector<Row> rows{direct(scratch.path())};
  print(rows.back());

  using namespace zrb2x::service::test;
  ServiceManager service;
  if (!setMachineVirtualFolder(scratch.path().string()) || !service.installAndStart()) {
    std::printf("the service could not be installed and started\n");
  } else {
    rows.push_back(pipeClient());
    print(rows.back());
    rows.push_back(slothub());
    print(rows.back());
    exchangeCost();
  }
  service.remove();
  setMachineVirtualFolder("");
  for (const Row& row : rows)
    if (row.write > 0 && !row.intact) return 1;
  return 0;
}
