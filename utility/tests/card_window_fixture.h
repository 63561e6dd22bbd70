// A card window's model on the real card path (card manager, accessor and
// device library over virtual reader-writers), with a view that records what
// it was told, a host that answers as a test scripts it, and a manager in
// front that fails chosen calls for faults a virtual card does not show.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card_manager_binding.h"
#include "card_manager_doubles.h"
#include "card_window_model.h"
#include "in_process_card_stack.h"
#include "recording_messages.h"
#include "socket_poll.h"
#include "virtual/card_templates.h"

namespace tessel::test {

class RecordingView final : public CardWindowView {
 public:
  void setCaption(std::string_view text) override { caption = text; }
  void setStatus(std::string_view text) override { status = text; }
  void setLamps(const LampColours& colours) override { lamps = colours; }
  void showPage(const PageText& text) override {
    page = text;
    ++pagesShown;
  }
  void insertTopLine(const LineText& line) override { lineMoves.push_back({false, line}); }
  void appendBottomLine(const LineText& line) override { lineMoves.push_back({true, line}); }
  void replaceLine(unsigned k, const LineText& line) override { replaced.push_back({k, line}); }
  void clearAddressesAndChars() override { cleared = true; }
  void setCarets(const Carets& c) override { carets = c; }
  void setScrollRange(uint32_t maximum) override { scrollMaximum = maximum; }
  void setScrollPosition(uint32_t position) override { scrollPosition = position; }
  void minimise() override { minimised = true; }
  void requestClose() override { ++closeRequests; }

  std::string caption, status;
  LampColours lamps;
  PageText page;
  int pagesShown = 0;
  std::vector<std::pair<bool, LineText>> lineMoves;  // true: appended at the bottom
  std::vector<std::pair<unsigned, LineText>> replaced;
  bool cleared = false, minimised = false;
  Carets carets;
  uint32_t scrollMaximum = 0, scrollPosition = 0;
  int closeRequests = 0;
};

class ScriptedHost final : public CardWindowHost {
 public:
  bool flashEditChecked() override { return flashEdit; }
  bool ataEditChecked() override { return ataEdit; }
  bool progressActive() override { return progress; }
  bool ntVersion5() override { return nt5; }
  bool askAddress(std::string& text) override {
    asked.push_back(text);
    if (answers.empty()) return false;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (!answer) return false;
    text = *answer;
    return true;
  }
  bool askOpenCard() override {
    if (onOpenCard) onOpenCard();
    return openCardOk;
  }
  void activateNeighbour(bool next) override { neighbours.push_back(next); }
  void runCommand(WindowCommand command) override { commands.push_back(command); }

  bool flashEdit = false, ataEdit = false, progress = false, nt5 = false;
  std::deque<std::optional<std::string>> answers;  // nullopt: Cancel
  std::vector<std::string> asked;
  bool openCardOk = false;
  std::function<void()> onOpenCard;
  std::vector<bool> neighbours;
  std::vector<WindowCommand> commands;
};

// Fails the calls for which `fault` returns a result; passes the rest on.
class FaultingManager final : public ForwardingManager {
 public:
  using ForwardingManager::ForwardingManager;
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t length) override {
    if (fault) {
      if (std::optional<int32_t> result = fault(code, *request, buffer)) return *result;
    }
    return ForwardingManager::service(code, request, buffer, length);
  }
  // May fill `buffer` to answer in the card's place.
  std::function<std::optional<int32_t>(uint32_t, const cardservice::SlotRequest&, void*)> fault;
};

class CardWindowTest : public ::testing::Test {
 protected:
  void insert(zrb2x::virt::CardTemplate card, const zrb2x::virt::InsertOptions& options = {}) {
    readers.push_back(stack.addReader(card, options));
  }
  // A card of `size` bytes whose common memory is filled from `image`.
  static zrb2x::virt::InsertOptions withImage(std::optional<uint32_t> size, std::filesystem::path image) {
    zrb2x::virt::InsertOptions options;
    options.size = size;
    options.image = std::move(image);
    return options;
  }
  void bind() {
    ASSERT_TRUE(access.bindCardService());
    access.sockets().info.resize(access.socketCount());
    pollSockets(access);
  }
  std::unique_ptr<CardWindowModel> open(uint8_t socket, uint8_t space = 0, uint16_t region = 0,
                                        uint32_t start = 0) {
    access.selection() = CurrentSelection{socket, region, space, start};
    return std::make_unique<CardWindowModel>(access, host, view);
  }
  // What the card holds, from its image file.
  std::vector<uint8_t> image(size_t reader, uint32_t offset, uint32_t length, bool attribute = false) {
    std::ifstream file(readers[reader] / (attribute ? "attribute.img" : "common.img"), std::ios::binary);
    file.seekg(offset);
    std::vector<uint8_t> bytes(length);
    file.read(reinterpret_cast<char*>(bytes.data()), length);
    return bytes;
  }
  // A card image file of `size` bytes filled by `byteAt`.
  std::filesystem::path imageFile(uint32_t size, const std::function<uint8_t(uint32_t)>& byteAt) {
    std::filesystem::path file = stack.readersFolder() / ("image" + std::to_string(images++) + ".bin");
    std::ofstream out(file, std::ios::binary);
    for (uint32_t i = 0; i < size; ++i) out.put(static_cast<char>(byteAt(i)));
    return file;
  }
  size_t countOf(uint32_t code) const { return manager.callsOf(code).size(); }

  zrb::test::InProcessCardStack stack;
  std::vector<std::filesystem::path> readers;
  cardservice::CardManagerBinding binding{stack};
  FaultingManager faults{binding};
  RecordingManager manager{faults};
  RecordingMessages messages;
  CardAccess access{manager, messages};
  RecordingView view;
  ScriptedHost host;
  int images = 0;
};

}  // namespace tessel::test
