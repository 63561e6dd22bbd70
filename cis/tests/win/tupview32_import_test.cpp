// A program that binds tupview32.dll at load time through its callers'
// header and import library: the description comes back, and the program's
// import directory names the exports as the build gives them (decorated in
// the 32-bit build, plain in the 64-bit one).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tupview32.h"
#include "win/export_names.h"

namespace {

TEST(Tupview32Import, DescribeAnswersThroughTheImportLibrary) {
  cis::CisTupleRecord record{};
  record.socket = 0;
  record.attributeWord = 1;
  record.requestedCode = 0xFF;
  record.cardCode = 0x15;  // version 1 information: "1.0", one string
  const uint8_t data[] = {0x04, 0x01, 'O', 'K', 0x00, 0xFF};
  record.dataLength = sizeof data;
  for (unsigned i = 0; i < sizeof data; ++i) record.data[i] = data[i];
  const unsigned needed = CisDescribe(&record, nullptr, 0);
  ASSERT_GT(needed, 1u);
  std::string text(needed, '\0');
  EXPECT_EQ(CisDescribe(&record, text.data(), needed), needed);
  EXPECT_NE(text.find("OK"), std::string::npos) << text;
  // Bound too, though not called here (it opens a modal window).
  void(__stdcall* volatile show)(HWND, WORD, const cis::CisTupleEntry*, unsigned) = &CisShow;
  EXPECT_NE(show, nullptr);
}

TEST(Tupview32Import, TheProgramImportsTheNamesOfItsBuild) {
  auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::string> names;
  for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       import->Name != 0; ++import) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "tupview32.dll") != 0) continue;
    for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
         thunk->u1.AddressOfData != 0; ++thunk)
      names.push_back(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData)->Name);
  }
  std::sort(names.begin(), names.end());
  if (zrb::test::kDecoratedExports)
    EXPECT_EQ(names, (std::vector<std::string>{"_CisDescribe@12", "_CisShow@16"}));
  else
    EXPECT_EQ(names, (std::vector<std::string>{"CisDescribe", "CisShow"}));
}

}  // namespace
