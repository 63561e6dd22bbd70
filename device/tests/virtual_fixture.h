// A folder of virtual reader-writers and the in-process devices over it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "in_process_devices.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"

namespace zrb2x::test {

class VirtualReaderTest : public ::testing::Test {
 protected:
  std::filesystem::path reader(const std::string& name = "r0") { return scratch_.path() / name; }

  // Creates a reader with a card and opens the devices over the folder; the
  // card change the insert causes is left pending unless consumed.
  void setUpReader(virt::CardTemplate card, const virt::ReaderOptions& options = {},
                   const virt::InsertOptions& insert = {}, bool consumeCardChange = true) {
    ASSERT_EQ(virt::createReader(reader(), options), "");
    ASSERT_EQ(virt::insertCard(reader(), card, insert), "");
    if (consumeCardChange) {
      ASSERT_EQ(virt::changeReader(reader(), [](auto& s) { s.attentionPending = false; }), "");
    }
    openDevices();
  }

  void openDevices() {
    devices_ = InProcessDevices::forVirtualReaders(scratch_.path());
    ASSERT_TRUE(devices_->OpenLibrary());
    ASSERT_GE(devices_->CountDevices(), 1u);
  }

  virt::ReaderState state(const std::string& name = "r0") {
    std::string text;
    EXPECT_EQ(virt::showReader(reader(name), text), "");
    return *virt::parseReaderState(text);
  }

  zrb::test::ScratchDir scratch_;
  std::unique_ptr<InProcessDevices> devices_;
};

}  // namespace zrb2x::test
