// A caller linked against hexo32's import library: the stdcall calls bind the
// decorated exports when the program loads, as the card utility binds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hexo32.h"
#include "image_file_api.h"
#include "scratch_dir.h"
#include "win/export_names.h"

namespace {

TEST(Hexo32Import, DecoratedNamesAreBoundAtLoadTime) {
  EXPECT_EQ(GetHexo32DllVersion(), 0x01010000u);
  zrb::test::ScratchDir dir;
  const std::string path = (dir / "image.s19").string();
  HexoHandle handle;
  ASSERT_EQ(HexoOpen(&handle, path.c_str(), 'w', -1), 0);
  EXPECT_EQ(HexoGetType(&handle), 2);
  EXPECT_EQ(HexoPutB(&handle, 0x10000, 1), -1);
  EXPECT_EQ(HexoGetError(&handle), 11);
  EXPECT_EQ(HexoClose(&handle), -1);
  char text[64];
  EXPECT_EQ(HexoStrError(text, 11), text);
  EXPECT_STREQ(text,
               "\x83\x41\x83\x68\x83\x8C\x83\x58\x83\x49\x81\x5B\x83\x6F\x81\x5B\x83\x74\x83\x8D\x81\x5B");
}

// The programs hand UTF-8 names to the interface; the file made is the one
// of that name, and a name the ANSI code page cannot spell opens nothing
// rather than a file under a garbled name.
TEST(Hexo32Import, TheInterfaceTakesUtf8NamesAndOpensTheFileOfThatName) {
  zrb::test::ScratchDir dir;
  const ImageFileApi& api = imageFileApi();
  struct Case {
    const char* utf8;
    const wchar_t* wide;
  };
  // é is in every Western and in the UTF-8 code page; 日本 in the Japanese one.
  for (const Case& name : {Case{"caf\xC3\xA9.s19", L"caf\u00E9.s19"},
                           Case{"\xE6\x97\xA5\xE6\x9C\xAC.s19", L"\u65E5\u672C.s19"}}) {
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.wide, -1, nullptr, 0, "?", &lossy);
    const std::string path = dir.path().string() + "\\" + name.utf8;
    const std::wstring widePath = dir.path().wstring() + L"\\" + name.wide;
    HexoHandle handle;
    if (lossy) {
      EXPECT_NE(api.open(&handle, path.c_str(), 'w', -1), 0) << name.utf8;
      EXPECT_EQ(GetFileAttributesW(widePath.c_str()), INVALID_FILE_ATTRIBUTES);
      continue;
    }
    ASSERT_EQ(api.open(&handle, path.c_str(), 'w', -1), 0) << name.utf8;
    EXPECT_EQ(api.putB(&handle, 0x100, 0x5A), 0x5A);
    EXPECT_EQ(api.close(&handle), 0);
    EXPECT_NE(GetFileAttributesW(widePath.c_str()), INVALID_FILE_ATTRIBUTES) << "code page " << GetACP();
  }
  // Nothing was made under another spelling.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir.path().wstring() + L"\\*.s19").c_str(), &found);
  int files = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do ++files;
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u65E5\u672C", -1, nullptr, 0, "?", &lossy);
  EXPECT_EQ(files, lossy ? 1 : 2);
}

TEST(Hexo32Import, TheProgramImportsTheDecoratedNames) {
  // The import directory of this very program names hexo32.dll's decorated
  // exports (x86-64 has only the plain ones).
  auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
  bool found = false;
  for (; import->Name != 0; ++import) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "hexo32.dll") != 0) continue;
    auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    for (; thunk->u1.AddressOfData != 0; ++thunk) {
      auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData);
      const std::string name = reinterpret_cast<const char*>(byName->Name);
      EXPECT_EQ(name[0] == '_', zrb::test::kDecoratedExports) << name;
      EXPECT_EQ(name.find('@') != std::string::npos, zrb::test::kDecoratedExports) << name;
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
