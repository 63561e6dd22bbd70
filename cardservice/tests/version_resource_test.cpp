#include "version_resource.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

using namespace cardservice;

namespace {

class FakeResource : public VersionResource {
 public:
  std::optional<std::pair<uint16_t, uint16_t>> own;
  std::map<std::tuple<uint16_t, uint16_t, std::string>, std::string> strings;
  std::vector<std::pair<uint16_t, uint16_t>> asked;  // for FileVersion only

  std::optional<std::pair<uint16_t, uint16_t>> translation() override { return own; }
  std::optional<std::string> query(uint16_t language, uint16_t codePage, const char* name) override {
    if (std::string(name) == "FileVersion") asked.emplace_back(language, codePage);
    auto hit = strings.find({language, codePage, name});
    if (hit == strings.end()) return std::nullopt;
    return hit->second;
  }
};

}  // namespace

TEST(VersionResource, OwnTranslationIsTriedFirst) {
  FakeResource r;
  r.own = {{0x411, 932}};
  r.strings[{0x411, 932, "FileVersion"}] = "5.2.0.111";
  r.strings[{0x409, 1252, "FileVersion"}] = "9.9.9.9";
  auto s = readVersionStrings(r);
  EXPECT_EQ(s[VS_FILE_VERSION], "5.2.0.111");
  EXPECT_EQ(s.found, 1);
  ASSERT_EQ(r.asked.size(), 1u);
}

TEST(VersionResource, MissingNamesAreSearchedCodePageOuterLanguageInner) {
  FakeResource r;
  r.own = {{0x409, 1200}};
  // Both exist; code page 932 comes before 1252 in the outer loop, so the
  // Japanese one wins even though 0x409 is an earlier language.
  r.strings[{0x411, 932, "FileVersion"}] = "5.2.1.1";
  r.strings[{0x409, 1252, "FileVersion"}] = "5.2.2.2";
  r.strings[{0x100C, 0, "OriginalFilename"}] = "x.dll";  // last language of the first code page
  auto s = readVersionStrings(r);
  EXPECT_EQ(s[VS_FILE_VERSION], "5.2.1.1");
  EXPECT_EQ(s[VS_ORIGINAL_FILENAME], "x.dll");
  EXPECT_EQ(s.found, 2);
  // Own pair, then code page 0 with all 45 languages, then 932 up to 0x411.
  ASSERT_GE(r.asked.size(), 3u);
  EXPECT_EQ(r.asked[0], (std::pair<uint16_t, uint16_t>(0x409, 1200)));
  EXPECT_EQ(r.asked[1], (std::pair<uint16_t, uint16_t>(0x401, 0)));
  EXPECT_EQ(r.asked.size(), 1u + 45u + 17u);
}

TEST(VersionResource, NothingFoundAnywhereCountsZero) {
  FakeResource r;  // no translation either
  auto s = readVersionStrings(r);
  EXPECT_EQ(s.found, 0);
  EXPECT_TRUE(s[VS_FILE_VERSION].empty());
  EXPECT_EQ(r.asked.size(), 12u * 45u);
}

TEST(VersionResource, OverlongStringsAreCutTo255Bytes) {
  FakeResource r;
  r.own = {{0x409, 1200}};
  r.strings[{0x409, 1200, "Comments"}] = std::string(400, 'c');
  auto s = readVersionStrings(r);
  EXPECT_EQ(s[VS_COMMENTS].size(), 255u);
}
