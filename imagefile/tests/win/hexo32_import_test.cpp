// A caller linked against hexo32's import library: the stdcall calls bind the
// decorated exports when the program loads, as the card utility binds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hexo32.h"
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
