// The DLL's string table and decoder exports agree with the portable core.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "decode.h"
#include "describe.h"
#include "text.h"
#include "tuple_builder.h"
#include "win/export_names.h"
#include "win/module_dir.h"
#include "win32_support.h"
#include "win32_text.h"

namespace cis {
namespace {

class DllExports : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA((zrb::test::deliverableDirectory() + "\\tupview32.dll").c_str());
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }
  template <typename F>
  F get(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_ = nullptr;
};

TEST_F(DllExports, StringResourcesAreTheTextsTheDecodersUse) {
  int checked = 0;
  for (unsigned id = 0; id <= 0xFFFF; ++id) {
    if (!hasText(static_cast<uint16_t>(id))) continue;
    const wchar_t* resource = nullptr;
    int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&resource), 0);
    ASSERT_GT(length, 0) << id;
    EXPECT_EQ(zrb::win::wideToShiftJis(std::wstring_view(resource, static_cast<size_t>(length))),
              std::string(text(static_cast<uint16_t>(id))))
        << id;
    ++checked;
  }
  EXPECT_GT(checked, 400);
  wchar_t missing[8];
  EXPECT_EQ(LoadStringW(module_, 27200, missing, 8), 0);  // DMA signal texts are not in the table
}

TEST_F(DllExports, DecodersUnderBothNamesWriteShiftJis) {
  using ItoS = char*(__stdcall*)(char*, unsigned);
  if (!zrb::test::kDecoratedExports) {
    EXPECT_EQ(get<ItoS>("_CisTupleItoS@8"), nullptr);
  }
  for (const std::string& name : {std::string("CisTupleItoS"), zrb::test::exportName("_CisTupleItoS@8")}) {
    auto decoder = get<ItoS>(name.c_str());
    ASSERT_NE(decoder, nullptr) << name;
    char buffer[64];
    EXPECT_EQ(decoder(buffer, 0x09), buffer);
    EXPECT_EQ(std::string(buffer), tupleName(0x09));
    EXPECT_EQ(std::string(decoder(buffer, 0x1B)), tupleName(0x1B));
  }
  using Flag = char*(__stdcall*)(char*, unsigned, unsigned);
  char buffer[128];
  EXPECT_EQ(std::string(get<Flag>(zrb::test::exportName("_CisCeIrMaskFtoS@12").c_str())(buffer, 0x11, 0)),
            flagText(FlagSet::CeIrMask, 0x11, 0));
  using Size = uint32_t(__stdcall*)(unsigned);
  EXPECT_EQ(get<Size>(zrb::test::exportName("_CisDSize@4").c_str())(0x0E), 4u * 1024 * 1024);
  using Bytes = char*(__stdcall*)(char*, const uint8_t*);
  const uint8_t volts[] = {0x80 | (6 << 3) | 5, 30};
  EXPECT_STREQ(get<Bytes>("CisCePdVStr")(buffer, volts), "3.30 V");
  using StrList = unsigned(__stdcall*)(char**, unsigned, char*, unsigned, unsigned);
  char data[] = {'a', 'b', 'c', 0, 'd', 'e', 'f', '\xFF'};
  char* strings[4] = {};
  EXPECT_EQ(get<StrList>(zrb::test::exportName("_CisStrList@20").c_str())(strings, 4, data, sizeof data, 0),
            2u);
  EXPECT_STREQ(strings[1], "def");
  using Devices = unsigned(__stdcall*)(CisDeviceInfo*, unsigned, const CisTupleRecord*, unsigned);
  CisDeviceInfo devices[4];
  CisTupleRecord device = test::tuple(0x01, {0x64, 0x08, 0x64, 0x10, 0xFF});
  EXPECT_EQ(get<Devices>("CisDecodeDevice")(devices, 0x01, &device, 4), 2u);
}

TEST_F(DllExports, DescribeMatchesThePortableText) {
  using Describe = unsigned(__stdcall*)(const CisTupleRecord*, char*, unsigned);
  auto describe = get<Describe>(zrb::test::exportName("_CisDescribe@12").c_str());
  ASSERT_NE(describe, nullptr);
  ASSERT_EQ(get<Describe>("CisDescribe"), describe);
  CisTupleRecord entry = test::tuple(0x1B, {0xC1, 0xD1, 0x02, 0x11, 0xB5, 0x9E, 0x7D, 0x05, 0x01, 0x55});
  std::string expected = describeRecord(entry);
  unsigned size = describe(&entry, nullptr, 0);
  ASSERT_EQ(size, expected.size() + 1);
  std::string text(size, '\0');
  EXPECT_EQ(describe(&entry, text.data(), size), size);
  EXPECT_EQ(text.c_str(), expected);
}

}  // namespace
}  // namespace cis
