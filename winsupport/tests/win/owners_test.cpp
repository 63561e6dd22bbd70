// The owners close exactly what they own, once, and never a "no handle" value.
#include <gtest/gtest.h>
#include <windows.h>

#include "win32_owners.h"

namespace zrb::win {
namespace {

bool isOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

TEST(Owners, CloseOnScopeExitAndHandOverOnMove) {
  HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(isOpen(raw));
  {
    UniqueHandle first(raw);
    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    UniqueHandle third;
    third = std::move(second);
    EXPECT_TRUE(isOpen(raw));  // moving closed nothing
  }
  EXPECT_FALSE(isOpen(raw));
}

TEST(Owners, ResetClosesTheOldHandleAndReleaseClosesNothing) {
  HANDLE a = CreateEventA(nullptr, TRUE, FALSE, nullptr), b = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  UniqueHandle owner(a);
  owner.reset(b);
  EXPECT_FALSE(isOpen(a));
  EXPECT_TRUE(isOpen(b));
  HANDLE given = owner.release();
  EXPECT_FALSE(owner);
  owner.reset();
  EXPECT_TRUE(isOpen(given));
  CloseHandle(given);
}

TEST(Owners, FailureValuesOfEveryKindMeanNoHandle) {
  UniqueHandle file(
      CreateFileA("Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(file);
  EXPECT_EQ(file.get(), nullptr);
  UniqueFind find;
  WIN32_FIND_DATAA data;
  find.reset(FindFirstFileA("Z:\\no\\such\\folder\\*", &data));
  EXPECT_FALSE(find);
  UniqueModule module(LoadLibraryA("no-such-module.dll"));
  EXPECT_FALSE(module);
}

TEST(Owners, PredefinedRegistryRootsAreNeverClosed) {
  { UniqueKey root(HKEY_CURRENT_USER); }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
  UniqueKey owned(key);
  EXPECT_TRUE(owned);
}

TEST(Owners, ModulesMenusAndGdiObjectsAreFreed) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  {
    UniqueModule extra(LoadLibraryA("kernel32.dll"));  // one more reference
    ASSERT_TRUE(extra);
  }
  EXPECT_EQ(GetModuleHandleA("kernel32.dll"), kernel);  // only our reference went
  HMENU menu = CreateMenu();
  { UniqueMenu owned(menu); }
  EXPECT_FALSE(IsMenu(menu));
  HGDIOBJ brush = CreateSolidBrush(RGB(1, 2, 3));
  { UniqueGdiObject owned(brush); }
  EXPECT_EQ(GetObjectType(brush), 0u);
}

}  // namespace
}  // namespace zrb::win
