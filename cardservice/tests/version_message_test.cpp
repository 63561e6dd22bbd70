#include "version_message.h"

#include <gtest/gtest.h>

using namespace cardservice;

TEST(VersionMessage, FillsFileNameNumbersAndManagerVersion) {
  const std::string format =
      "%s %lu.%lu.%lu.%lu detected.\r\n\r\n%s %lu.%lu.??.?? needed.\r\n\r\nPlease re-install application.";
  VersionNumbers module;
  module.number = {5, 3, 0, 1};
  module.count = 4;
  EXPECT_EQ(formatVersionMessage(format, "VESKCI2XS.DLL", module, 5, 2),
            "VESKCI2XS.DLL 5.3.0.1 detected.\r\n\r\nVESKCI2XS.DLL 5.2.??.?? needed.\r\n\r\n"
            "Please re-install application.");
}

TEST(VersionMessage, JapaneseTextPassesThroughUntouched) {
  VersionNumbers module;
  module.number = {6, 0, 0, 0};
  EXPECT_EQ(formatVersionMessage("%s %lu.%lu.%lu.%lu を検出しました。%%", "A.DLL", module, 5, 2),
            "A.DLL 6.0.0.0 を検出しました。%");
}

TEST(VersionMessage, DamagedFormatsCannotReachPastTheArguments) {
  VersionNumbers module;
  // Nine conversions: the ninth has nothing to take and stays empty.
  EXPECT_EQ(formatVersionMessage("%s%lu%lu%lu%lu%s%lu%lu[%s]", "F", module, 5, 2), "F0000F52[]");
  EXPECT_EQ(formatVersionMessage("%d %x 100%", "F", module, 5, 2), "%d %x 100%");
}
