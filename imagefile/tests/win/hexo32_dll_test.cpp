// hexo32.dll as a caller loads it: every export under both names, the
// Shift-JIS error texts, CR LF line ends of the text formats.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "../../win/error_texts.rh"
#include "hexo_handle.h"
#include "scratch_dir.h"
#include "win/export_names.h"
#include "win/module_dir.h"

namespace {

struct Export {
  const char* plain;
  const char* decorated;
};

const Export kExports[] = {
    {"HexoOpen", "_HexoOpen@16"},
    {"HexoGetB", "_HexoGetB@8"},
    {"HexoPutB", "_HexoPutB@12"},
    {"HexoIsEof", "_HexoIsEof@4"},
    {"HexoClose", "_HexoClose@4"},
    {"HexoGetError", "_HexoGetError@4"},
    {"HexoStrError", "_HexoStrError@8"},
    {"HexoGetLen", "_HexoGetLen@4"},
    {"HexoGetLineNo", "_HexoGetLineNo@4"},
    {"HexoGetPath", "_HexoGetPath@4"},
    {"HexoGetPos", "_HexoGetPos@4"},
    {"HexoGetType", "_HexoGetType@4"},
    {"GetHexo32DllVersion", "_GetHexo32DllVersion@0"},
    {"HexoPutBlock", "_HexoPutBlock@16"},
    {"HexoGetBlock", "_HexoGetBlock@16"},
};

const char* const kUtf8Texts[] = {
    HEXO_ERROR_TEXT_0,  HEXO_ERROR_TEXT_1,  HEXO_ERROR_TEXT_2,  HEXO_ERROR_TEXT_3, HEXO_ERROR_TEXT_4,
    HEXO_ERROR_TEXT_5,  HEXO_ERROR_TEXT_6,  HEXO_ERROR_TEXT_7,  HEXO_ERROR_TEXT_8, HEXO_ERROR_TEXT_9,
    HEXO_ERROR_TEXT_10, HEXO_ERROR_TEXT_11, HEXO_ERROR_TEXT_12,
};

std::string toShiftJis(const char* utf8) {
  wchar_t wide[256];
  const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
  char narrow[512];
  const int length = WideCharToMultiByte(932, 0, wide, wideLength, narrow, sizeof narrow, nullptr, nullptr);
  return std::string(narrow, length > 0 ? length - 1 : 0);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The interface bound by one of the two name sets.
struct Hexo32 {
  int32_t(__stdcall* open)(HexoHandle*, const char*, int32_t, int32_t);
  int32_t(__stdcall* getB)(HexoHandle*, uint32_t*);
  int32_t(__stdcall* putB)(HexoHandle*, uint32_t, int32_t);
  int32_t(__stdcall* isEof)(HexoHandle*);
  int32_t(__stdcall* close)(HexoHandle*);
  int32_t(__stdcall* getError)(HexoHandle*);
  char*(__stdcall* strError)(char*, uint32_t);
  int32_t(__stdcall* getLen)(HexoHandle*);
  int32_t(__stdcall* getLineNo)(HexoHandle*);
  char*(__stdcall* getPath)(HexoHandle*);
  int32_t(__stdcall* getPos)(HexoHandle*);
  int32_t(__stdcall* getType)(HexoHandle*);
  uint32_t(__stdcall* version)();
  int32_t(__stdcall* putBlock)(HexoHandle*, uint32_t, const uint8_t*, uint32_t);
  int32_t(__stdcall* getBlock)(HexoHandle*, uint32_t*, uint8_t*, uint32_t);
};

class Hexo32Dll : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    module = LoadLibraryA((zrb::test::deliverableDirectory() + "\\hexo32.dll").c_str());
  }
  static void TearDownTestSuite() { FreeLibrary(module); }

  template <typename F>
  static void bind(F& target, const Export& names, bool decorated) {
    target = reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(module, decorated ? names.decorated : names.plain)));
  }
  Hexo32 bound() {
    const bool decorated = GetParam();
    Hexo32 api{};
    bind(api.open, kExports[0], decorated);
    bind(api.getB, kExports[1], decorated);
    bind(api.putB, kExports[2], decorated);
    bind(api.isEof, kExports[3], decorated);
    bind(api.close, kExports[4], decorated);
    bind(api.getError, kExports[5], decorated);
    bind(api.strError, kExports[6], decorated);
    bind(api.getLen, kExports[7], decorated);
    bind(api.getLineNo, kExports[8], decorated);
    bind(api.getPath, kExports[9], decorated);
    bind(api.getPos, kExports[10], decorated);
    bind(api.getType, kExports[11], decorated);
    bind(api.version, kExports[12], decorated);
    bind(api.putBlock, kExports[13], decorated);
    bind(api.getBlock, kExports[14], decorated);
    return api;
  }

  static HMODULE module;
  zrb::test::ScratchDir dir;
};

HMODULE Hexo32Dll::module = nullptr;

TEST_P(Hexo32Dll, BothNamesOfEveryExportReachTheSameCode) {
  ASSERT_NE(module, nullptr);
  for (const Export& names : kExports) {
    FARPROC plain = GetProcAddress(module, names.plain);
    EXPECT_NE(plain, nullptr) << names.plain;
    // The 64-bit build has no decorated names at all.
    EXPECT_EQ(zrb::test::kDecoratedExports ? plain : nullptr, GetProcAddress(module, names.decorated))
        << names.decorated;
  }
  EXPECT_EQ(bound().version(), 0x01010000u);
}

TEST_P(Hexo32Dll, WritesTextRecordsWithCrLfAndReadsThemBack) {
  ASSERT_NE(module, nullptr);
  const Hexo32 api = bound();
  const std::string path = (dir / "IMAGE.hex").string();
  HexoHandle handle;
  ASSERT_EQ(api.open(&handle, path.c_str(), 'w', -1), 0);
  EXPECT_EQ(api.getType(&handle), 1);
  EXPECT_EQ(api.putB(&handle, 0x12345, 0xAA), 0xAA);
  EXPECT_EQ(api.getLineNo(&handle), 1);
  EXPECT_EQ(api.close(&handle), 0);
  EXPECT_EQ(readFile(dir / "IMAGE.hex"), ":020000021000EC\r\n:01234500AAED\r\n:00000001FF\r\n");

  ASSERT_EQ(api.open(&handle, path.c_str(), 'r', -1), 0);
  EXPECT_STREQ(api.getPath(&handle), path.c_str());
  EXPECT_EQ(api.getPath(&handle), handle.path);
  uint32_t address = 0;
  EXPECT_EQ(api.getB(&handle, &address), 0xAA);
  EXPECT_EQ(address, 0x12345u);
  EXPECT_EQ(api.getLineNo(&handle), 2);
  const int32_t position = api.getPos(&handle);
  EXPECT_EQ(api.getLen(&handle), 45);
  EXPECT_EQ(api.getPos(&handle), position);
  EXPECT_EQ(api.getB(&handle, &address), -1);
  EXPECT_EQ(api.isEof(&handle), 1);
  EXPECT_EQ(api.getError(&handle), 0);
  EXPECT_EQ(api.putB(&handle, 0, 0), -1);
  EXPECT_EQ(api.getError(&handle), 2);
  EXPECT_EQ(api.close(&handle), 0);

  EXPECT_EQ(api.open(&handle, (dir / "missing" / "x.s37").string().c_str(), 'r', -1), -1);
  EXPECT_EQ(api.getError(&handle), 1);
}

TEST_P(Hexo32Dll, ABlockGoesOutAsTheSameRecordsAsItsBytes) {
  ASSERT_NE(module, nullptr);
  const Hexo32 api = bound();
  const std::string path = (dir / "BLOCK.hex").string();
  HexoHandle handle;
  ASSERT_EQ(api.open(&handle, path.c_str(), 'w', -1), 0);
  const uint8_t bytes[] = {0xAA, 0xBB, 0xCC};
  EXPECT_EQ(api.putBlock(&handle, 0x1234E, bytes, 3), 0);
  EXPECT_EQ(api.getLineNo(&handle), 2);
  EXPECT_EQ(api.close(&handle), 0);
  EXPECT_EQ(readFile(dir / "BLOCK.hex"),
            ":020000021000EC\r\n:02234E00AABB28\r\n:01235000CCC0\r\n:00000001FF\r\n");
  ASSERT_EQ(api.open(&handle, path.c_str(), 'r', -1), 0);
  EXPECT_EQ(api.putBlock(&handle, 0, bytes, 3), -1);
  EXPECT_EQ(api.getError(&handle), 2);
  EXPECT_EQ(api.close(&handle), 0);

  // Read back as one run over both records.
  ASSERT_EQ(api.open(&handle, path.c_str(), 'r', -1), 0);
  uint8_t read[8] = {};
  uint32_t address = 0;
  EXPECT_EQ(api.getBlock(&handle, &address, read, sizeof read), 3);
  EXPECT_EQ(address, 0x1234Eu);
  EXPECT_EQ(std::memcmp(read, bytes, 3), 0);
  EXPECT_EQ(api.getBlock(&handle, &address, read, sizeof read), -1);
  EXPECT_EQ(api.isEof(&handle), 1);
  EXPECT_EQ(api.close(&handle), 0);
}

TEST_P(Hexo32Dll, ErrorTextsAreShiftJisWhateverTheCodePage) {
  ASSERT_NE(module, nullptr);
  const Hexo32 api = bound();
  char buffer[64];
  for (uint32_t code = 0; code <= 12; ++code) {
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(api.strError(buffer, code), buffer);
    EXPECT_EQ(std::string(buffer), toShiftJis(kUtf8Texts[code])) << code;
    EXPECT_LT(std::strlen(buffer), 40u) << code;
  }
  // Known Shift-JIS bytes, independent of the system's conversion tables.
  api.strError(buffer, 0);
  EXPECT_STREQ(buffer, "\x83\x47\x83\x89\x81\x5B\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
  api.strError(buffer, 5);
  EXPECT_STREQ(buffer, "\x97\x5C\x8A\xFA\x82\xB5\x82\xC8\x82\xA2 EOF");
  for (uint32_t code : {13u, 200u, 0xFFFFFFFFu}) {
    api.strError(buffer, code);
    EXPECT_EQ(std::string(buffer), toShiftJis(HEXO_ERROR_TEXT_12)) << code;
  }
}

TEST(Hexo32Version, FileVersionMatchesTheReportedVersion) {
  const std::string path = zrb::test::deliverableDirectory() + "\\hexo32.dll";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(info->dwFileVersionMS, 0x00010001u);
}

// Plain names, and decorated ones where the build has them.
const bool kDecoratedParam[] = {false, true};
INSTANTIATE_TEST_SUITE_P(Names, Hexo32Dll,
                         ::testing::ValuesIn(kDecoratedParam,
                                             kDecoratedParam + (zrb::test::kDecoratedExports ? 2 : 1)),
                         [](const auto& info) { return info.param ? "Decorated" : "Plain"; });

}  // namespace
