// tesselcmd run as its Windows program runs it, over the real card manager,
// accessor and device library on virtual reader-writers in this process,
// and the image file library's portable core; output and messages caught in
// strings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "card_manager_binding.h"
#include "image_file_api.h"
#include "in_process_card_stack.h"
#include "scratch_dir.h"
#include "tesselcmd.h"
#include "virtual/card_templates.h"

namespace tesselcmd::test {

using zrb2x::virt::CardTemplate;

inline uint8_t pattern(uint32_t address) { return static_cast<uint8_t>(address * 7 + (address >> 8) + 1); }

class ToolTest : public ::testing::Test {
 protected:
  // A card whose common memory holds `pattern` (or erased bytes) over `size` bytes.
  void insert(CardTemplate card, uint32_t size = 0x40000, bool erased = false) {
    zrb2x::virt::InsertOptions options;
    options.size = card == CardTemplate::Sram || card == CardTemplate::Ata ? std::optional<uint32_t>(size)
                                                                           : std::nullopt;
    if (card == CardTemplate::Sram || card == CardTemplate::Ata)
      options.image = writeFile("card" + std::to_string(readers.size()) + ".img", bytes(size, erased));
    readers.push_back(stack.addReader(card, options));
  }
  static std::vector<uint8_t> bytes(uint32_t size, bool erased = false, uint32_t from = 0) {
    std::vector<uint8_t> out(size);
    for (uint32_t i = 0; i < size; ++i) out[i] = erased ? 0xFF : pattern(from + i);
    return out;
  }
  std::string writeFile(const std::string& name, const std::vector<uint8_t>& content) {
    std::ofstream file(files / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return (files / name).string();
  }
  std::string path(const std::string& name) const { return (files / name).string(); }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // What a card's common memory holds, from its image file.
  std::vector<uint8_t> card(size_t reader, uint32_t offset, uint32_t length) const {
    std::ifstream file(readers[reader] / "common.img", std::ios::binary);
    file.seekg(offset);
    std::vector<uint8_t> out(length);
    file.read(reinterpret_cast<char*>(out.data()), length);
    return out;
  }
  int tool(std::initializer_list<std::string> arguments) {
    out.str({});
    err.str({});
    const std::vector<std::string> list(arguments);
    return run(list, io);
  }

  zrb::test::InProcessCardStack stack;
  cardservice::CardManagerBinding binding{stack};
  std::vector<std::filesystem::path> readers;
  zrb::test::ScratchDir files;
  std::ostringstream out, err;
  ToolIo io{out, err, false, binding, imageFileApi(), {}, {}, {}};
};

}  // namespace tesselcmd::test
