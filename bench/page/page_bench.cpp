// A card window's page move measured where it matters: a 64 MiB card reached
// through slothub.dll, the accessor, the pipe and the access service. Each
// move reads the page again and lays out the three lists; the reference is
// the raw read of one page through the same card manager in the same run.
// Then the card is paged through and the program's memory printed,
// which must stay flat: nothing beyond one page is kept.
#include <windows.h>
// After windows.h, on which it builds.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "binding/card_manager_binding.h"
#include "card_access.h"
#include "card_window_model.h"
#include "scratch_dir.h"
#include "service_control.h"
#include "socket_poll.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_module_loader.h"

namespace {

namespace virt = zrb2x::virt;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kCardSize = 0x4000000;  // 64 MiB
constexpr int kSamples = 400;

class CountingMessages final : public tessel::UserMessages {
 public:
  void showOk(std::string_view text) override {
    ++shown;
    last = std::string(text);
  }
  bool askYesNo(std::string_view) override { return false; }
  int shown = 0;
  std::string last;
};

// The window's drawing is not part of what is measured: only the model's
// read and layout. The texts are kept so that the compiler cannot drop them.
class KeepingView final : public tessel::CardWindowView {
 public:
  void setCaption(std::string_view) override {}
  void setStatus(std::string_view) override {}
  void setLamps(const tessel::LampColours&) override {}
  void showPage(const tessel::PageText& text) override { bytes += text.dump.size() + text.chars.size(); }
  void insertTopLine(const tessel::LineText& line) override { bytes += line.dump.size(); }
  void appendBottomLine(const tessel::LineText& line) override { bytes += line.dump.size(); }
  void replaceLine(unsigned, const tessel::LineText& line) override { bytes += line.dump.size(); }
  void clearAddressesAndChars() override {}
  void setCarets(const tessel::Carets&) override {}
  void setScrollRange(uint32_t) override {}
  void setScrollPosition(uint32_t) override {}
  void minimise() override {}
  void requestClose() override {}
  size_t bytes = 0;
};

class QuietHost final : public tessel::CardWindowHost {
 public:
  bool flashEditChecked() override { return false; }
  bool ataEditChecked() override { return false; }
  bool progressActive() override { return false; }
  bool ntVersion5() override { return false; }
  bool askAddress(std::string&) override { return false; }
  bool askOpenCard() override { return false; }
  void activateNeighbour(bool) override {}
  void runCommand(tessel::WindowCommand) override {}
};

double medianMs(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Committed memory (what Wine fills in; its private-bytes count stays 0) and
// the working set, in KiB.
struct Memory {
  size_t committed;
  size_t workingSet;
};

Memory memoryNow() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return {counters.PagefileUsage / 1024, counters.WorkingSetSize / 1024};
}

int run(int wholeCardMoves) {
  SetDllDirectoryA(zrb::test::deliverableDirectory().c_str());
  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding manager(loader);
  CountingMessages messages;
  tessel::CardAccess access(manager, messages);
  if (!access.bindCardService() || access.socketCount() == 0) {
    std::printf("the card manager found no socket\n");
    return 1;
  }
  access.sockets().info.assign(access.socketCount(), tessel::SocketInfo{});
  tessel::pollSockets(access);
  tessel::pollSockets(access);  // past the card change the reader reports once

  // The reference: one page read straight through the card manager.
  std::vector<uint8_t> page(256);
  std::vector<double> raw;
  for (int i = 0; i < kSamples; ++i) {
    cardservice::SlotRequest request{0, 0, static_cast<uint32_t>(i) * 256};
    auto start = Clock::now();
    uint16_t result = access.cardRead(request, page.data(), 256);
    raw.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (result != 0) {
      std::printf("raw read failed with %u\n", result);
      return 1;
    }
  }

  access.selection() = tessel::CurrentSelection{};
  KeepingView view;
  QuietHost host;
  tessel::CardWindowModel window(access, host, view);
  window.activate();
  if (!window.readSucceeded()) {
    std::printf("the card window's first read failed (%s)\n", messages.last.c_str());
    return 1;
  }
  std::vector<double> moves;
  for (int i = 0; i < kSamples; ++i) {
    auto start = Clock::now();
    window.scroll(tessel::ScrollCode::PageDown);
    moves.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("64 MiB SRAM card through slothub.dll and the service, median of %d, ms\n", kSamples);
  std::printf("  page move (read 256 bytes, lay out the three lists)  %7.3f\n", medianMs(moves));
  std::printf("  raw read of 256 bytes through slothub.dll             %7.3f\n", medianMs(raw));

  // Paging on through the card: the private memory at each mark.
  window.toTop();
  int marks[] = {0, wholeCardMoves / 4, wholeCardMoves / 2, wholeCardMoves};
  int done = 0;
  std::printf("memory while paging down %d times (the card has %u pages)\n", wholeCardMoves, kCardSize / 256);
  for (int mark : marks) {
    for (; done < mark; ++done) window.scroll(tessel::ScrollCode::PageDown);
    Memory memory = memoryNow();
    std::printf("  after %7d moves: committed %7zu KiB, working set %7zu KiB, top %08X\n", done,
                memory.committed, memory.workingSet, static_cast<unsigned>(window.top()));
  }
  window.close();
  std::printf("messages shown: %d%s%s\n", messages.shown, messages.shown ? ", last: " : "",
              messages.last.c_str());
  return messages.shown == 0 && view.bytes > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int wholeCardMoves = argc > 1 ? std::atoi(argv[1]) : 20000;
  zrb::test::ScratchDir scratch;
  virt::InsertOptions card;
  card.size = kCardSize;
  if (!virt::createReader(scratch / "r0", {}).empty() ||
      !virt::insertCard(scratch / "r0", virt::CardTemplate::Sram, card).empty()) {
    std::printf("cannot make the virtual reader\n");
    return 1;
  }
  using namespace zrb2x::service::test;
  ServiceManager service;
  int result = 1;
  if (!setMachineVirtualFolder(scratch.path().string()) || !service.installAndStart())
    std::printf("the service could not be installed and started\n");
  else
    result = run(wholeCardMoves);
  service.remove();
  setMachineVirtualFolder("");
  return result;
}
