#include "version_string.h"

#include <gtest/gtest.h>

using cardservice::parseVersionString;

namespace {

void expectVersion(const char* text, int count, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  SCOPED_TRACE(text);
  auto v = parseVersionString(text);
  EXPECT_EQ(v.count, count);
  EXPECT_EQ(v.number[0], a);
  EXPECT_EQ(v.number[1], b);
  EXPECT_EQ(v.number[2], c);
  EXPECT_EQ(v.number[3], d);
}

}  // namespace

TEST(VersionString, CommonSpellingsGiveFourNumbers) {
  expectVersion("5, 2, 0, 111", 4, 5, 2, 0, 111);
  expectVersion("5.2.0.111", 4, 5, 2, 0, 111);
  expectVersion("v5.2.0.111", 4, 5, 2, 0, 111);
  expectVersion("5.2.0.111.7", 4, 5, 2, 0, 111);  // a fifth number is not read
}

TEST(VersionString, ShortStringsLeaveTheRestZero) {
  expectVersion("5", 1, 5, 0, 0, 0);
  expectVersion("5.2", 2, 5, 2, 0, 0);
  expectVersion("5.2.", 2, 5, 2, 0, 0);
  expectVersion("", 0, 0, 0, 0, 0);
  expectVersion("none", 0, 0, 0, 0, 0);
}

TEST(VersionString, OtherCharacterAfterANumberStopsButKeepsIt) {
  expectVersion("5.2b.0.1", 1, 5, 2, 0, 0);  // 2 stored, not counted
  expectVersion("5x", 0, 5, 0, 0, 0);
  expectVersion("5.2-beta", 1, 5, 2, 0, 0);
}
