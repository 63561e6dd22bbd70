// The service program's command line and its status report fields.
#include <gtest/gtest.h>

#include "command_line.h"
#include "status_report.h"

namespace zrb2x::service {
namespace {

CommandLineAction parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv(args);
  return parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, InstallAndRemoveNeedADashOrSlashInAnyCase) {
  EXPECT_EQ(parse({"veskcv2xs.exe", "-install"}), CommandLineAction::Install);
  EXPECT_EQ(parse({"veskcv2xs.exe", "/InStAlL"}), CommandLineAction::Install);
  EXPECT_EQ(parse({"veskcv2xs.exe", "-REMOVE", "extra"}), CommandLineAction::Remove);
  EXPECT_EQ(parse({"veskcv2xs.exe", "install"}), CommandLineAction::RunService);
  EXPECT_EQ(parse({"veskcv2xs.exe", "-installer"}), CommandLineAction::RunService);
  EXPECT_EQ(parse({"veskcv2xs.exe", "-"}), CommandLineAction::RunService);
  EXPECT_EQ(parse({"veskcv2xs.exe"}), CommandLineAction::RunService);
}

TEST(StatusReport, PendingReportsCarryRisingCheckPointsAndFinalOnesZero) {
  CheckPointCounter counter;
  std::vector<uint32_t> points;
  for (int i = 0; i < 6; ++i) {
    StatusFields f = counter.next(kStartPending);
    EXPECT_EQ(f.controlsAccepted, 0u);
    points.push_back(f.checkPoint);
  }
  EXPECT_EQ(points, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  StatusFields running = counter.next(kRunning);
  EXPECT_EQ(running.checkPoint, 0u);
  EXPECT_EQ(running.controlsAccepted, kAcceptStop);
  EXPECT_EQ(counter.next(kStopPending).checkPoint, 7u);  // never reset
  EXPECT_EQ(counter.next(kStopped).checkPoint, 0u);
}

}  // namespace
}  // namespace zrb2x::service
