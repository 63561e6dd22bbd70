// The command table: CDB bytes, data phases, the retry-once rule and the
// results the command layer gives without asking the device.
#include <gtest/gtest.h>

#include "commands.h"
#include "device_result.h"
#include "recording_link.h"

namespace zrb2x::test {
namespace {

struct CommandCase {
  const char* name;
  std::function<uint32_t(DeviceLink&)> issue;
  std::vector<uint8_t> cdb;
  Direction direction;
  uint32_t count;
  bool retried;
};

uint8_t buffer[0x20000];

std::vector<CommandCase> commandCases() {
  return {
      {"rezero", [](DeviceLink& l) { return cmd::rezero(l); }, bytes({1, 0, 0, 0, 0, 0}), Direction::None, 0,
       false},
      {"request sense", [](DeviceLink& l) { return cmd::requestSense(l, buffer); },
       bytes({3, 0, 0, 0, 0x12, 0}), Direction::In, 18, false},
      {"write region table", [](DeviceLink& l) { return cmd::writeRegionTable(l, buffer); },
       bytes({5, 0, 0, 0, 0x2A, 0}), Direction::Out, 42, true},
      {"read region table", [](DeviceLink& l) { return cmd::readRegionTable(l, buffer); },
       bytes({6, 0, 0, 0, 0x2A, 0}), Direction::In, 42, true},
      {"inquiry lun 1", [](DeviceLink& l) { return cmd::inquiry(l, 1, buffer); },
       bytes({0x12, 0x20, 0, 0, 0x24, 0}), Direction::In, 36, false},
      {"card status", [](DeviceLink& l) { return cmd::cardStatus(l, buffer); }, bytes({0x13, 0, 0, 0, 4, 0}),
       Direction::In, 4, false},
      {"load lun 2", [](DeviceLink& l) { return cmd::loadMedium(l, 2); }, bytes({0x1B, 0x40, 0, 0, 3, 0}),
       Direction::None, 0, false},
      {"eject", [](DeviceLink& l) { return cmd::ejectMedium(l); }, bytes({0x1B, 0, 0, 0, 2, 0}),
       Direction::None, 0, false},
      {"read common", [](DeviceLink& l) { return cmd::readCommon(l, 0x01020304, 0x100, buffer); },
       bytes({0x20, 0, 1, 2, 3, 4, 0, 0, 1, 0}), Direction::In, 0x100, true},
      {"erase attribute", [](DeviceLink& l) { return cmd::erase(l, true, 0x10, 0x20); },
       bytes({0x21, 0x40, 0, 0, 0, 0x10, 0, 0, 0, 0x20}), Direction::None, 0, true},
      {"erase common", [](DeviceLink& l) { return cmd::erase(l, false, 0x10, 0x20); },
       bytes({0x21, 0, 0, 0, 0, 0x10, 0, 0, 0, 0x20}), Direction::None, 0, true},
      {"write common", [](DeviceLink& l) { return cmd::writeCommon(l, 0x200, 2, buffer); },
       bytes({0x22, 0, 0, 0, 2, 0, 0, 0, 0, 2}), Direction::Out, 2, true},
      {"read attribute", [](DeviceLink& l) { return cmd::readAttribute(l, 0, 4, buffer); },
       bytes({0x24, 0, 0, 0, 0, 0, 0, 0, 0, 4}), Direction::In, 4, true},
      {"read capacity", [](DeviceLink& l) { return cmd::readCapacity(l, 0xAABBCCDD, buffer); },
       bytes({0x25, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0, 0}), Direction::In, 8, true},
      {"write attribute", [](DeviceLink& l) { return cmd::writeAttribute(l, 6, 2, buffer); },
       bytes({0x26, 0, 0, 0, 0, 6, 0, 0, 0, 2}), Direction::Out, 2, true},
      {"read sectors", [](DeviceLink& l) { return cmd::readSectors(l, 0x00123456, 128, buffer); },
       bytes({0x28, 0, 0, 0x12, 0x34, 0x56, 0, 0, 0x80, 0}), Direction::In, 0x10000, true},
      {"write sectors", [](DeviceLink& l) { return cmd::writeSectors(l, 7, 2, buffer); },
       bytes({0x2A, 0, 0, 0, 0, 7, 0, 0, 2, 0}), Direction::Out, 1024, true},
      {"vendor 3D", [](DeviceLink& l) { return cmd::vendor3D(l, 0x11223344, 0x5566, 0x77, 0x88); },
       bytes({0x3D, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}), Direction::None, 0, true},
      {"ATA write task file",
       [](DeviceLink& l) { return cmd::ataPassThrough(l, cmd::AtaSub::WriteTaskFile, 0, buffer); },
       bytes({0x56, 0, 1, 0, 0, 0, 0, 0, 0, 0}), Direction::Out, 8, true},
      {"ATA read task file",
       [](DeviceLink& l) { return cmd::ataPassThrough(l, cmd::AtaSub::ReadTaskFile, 0, buffer); },
       bytes({0x56, 0, 2, 0, 0, 0, 0, 0, 0, 0}), Direction::In, 8, false},
      {"ATA execute", [](DeviceLink& l) { return cmd::ataPassThrough(l, cmd::AtaSub::Execute, 0, nullptr); },
       bytes({0x56, 0, 3, 0, 0, 0, 0, 0, 0, 0}), Direction::None, 0, false},
      {"ATA write data",
       [](DeviceLink& l) { return cmd::ataPassThrough(l, cmd::AtaSub::WriteData, 3, buffer); },
       bytes({0x56, 0, 4, 0, 0, 0, 0, 0, 3, 0}), Direction::Out, 1536, false},
      {"ATA read data",
       [](DeviceLink& l) { return cmd::ataPassThrough(l, cmd::AtaSub::ReadData, 1, buffer); },
       bytes({0x56, 0, 5, 0, 0, 0, 0, 0, 1, 0}), Direction::In, 512, false},
  };
}

TEST(CommandSet, EveryCommandIsOneTransportCallWithItsCdbAndDataPhase) {
  for (const auto& c : commandCases()) {
    RecordingLink link;
    EXPECT_EQ(c.issue(link), 0u) << c.name;
    ASSERT_EQ(link.calls.size(), 1u) << c.name;
    EXPECT_EQ(link.calls[0].cdb, c.cdb) << c.name;
    EXPECT_EQ(link.calls[0].direction, c.direction) << c.name;
    EXPECT_EQ(link.calls[0].count, c.count) << c.name;
  }
}

TEST(CommandSet, MarkedCommandsAreRepeatedExactlyOnceAfterACardChange) {
  for (const auto& c : commandCases()) {
    RecordingLink alwaysChanged;
    alwaysChanged.answer = [](const RecordedCall&, uint8_t*) { return result::kCardChanged; };
    EXPECT_EQ(c.issue(alwaysChanged), result::kCardChanged) << c.name;
    EXPECT_EQ(alwaysChanged.calls.size(), c.retried ? 2u : 1u) << c.name;

    RecordingLink changedOnce;
    changedOnce.answer = [&](const RecordedCall&, uint8_t*) {
      return changedOnce.calls.size() == 1 ? result::kCardChanged : 0u;
    };
    EXPECT_EQ(c.issue(changedOnce), c.retried ? 0u : result::kCardChanged) << c.name;
  }
}

TEST(CommandSet, OtherFailuresAndTheKeylessChangeAreNotRepeated) {
  for (uint32_t failure : {result::kCardChangedNoKey, result::kMediumNotPresent, result::kAborted}) {
    RecordingLink link;
    link.answer = [failure](const RecordedCall&, uint8_t*) { return failure; };
    EXPECT_EQ(cmd::readCommon(link, 0, 2, buffer), failure);
    EXPECT_EQ(link.calls.size(), 1u);
  }
}

TEST(CommandSet, NullBuffersAndMissingCdbBufferAreAnsweredWithoutTheDevice) {
  RecordingLink link;
  EXPECT_EQ(cmd::readCommon(link, 0, 2, nullptr), result::kInvalidField);
  EXPECT_EQ(cmd::writeAttribute(link, 0, 2, nullptr), result::kInvalidField);
  EXPECT_EQ(cmd::readRegionTable(link, nullptr), result::kInvalidField);
  EXPECT_EQ(cmd::cardStatus(link, nullptr), result::kInvalidField);
  EXPECT_EQ(cmd::ataPassThrough(link, cmd::AtaSub::ReadData, 1, nullptr), result::kInvalidField);
  EXPECT_TRUE(link.calls.empty());
  link.hasCdbBuffer = false;
  EXPECT_EQ(cmd::readCommon(link, 0, 2, buffer), result::kIllegalRequest);
  EXPECT_EQ(cmd::rezero(link), result::kIllegalRequest);
  EXPECT_TRUE(link.calls.empty());
}

}  // namespace
}  // namespace zrb2x::test
