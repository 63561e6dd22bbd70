// The card manager bound by name under Wine, as programs bind it: the real
// slothub.dll found by the DLL search, the fallback where there is none, and
// the library gone again after unbinding.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "card_manager_binding.h"
#include "win/module_dir.h"
#include "win32_module_loader.h"

using namespace cardservice;

namespace {

// Points the DLL search at a scenario's fake accessor modules and, through
// PATH, at the folder of the real slothub.dll.
class DllSearch {
 public:
  DllSearch(const char* scenario, bool withManager) : oldPath_(pathNow()) {
    const std::string fakes = zrb::test::executableDirectory() + "\\fakes\\" + scenario;
    CreateDirectoryA(fakes.c_str(), nullptr);
    SetDllDirectoryA(fakes.c_str());
    SetEnvironmentVariableA("PATH", withManager ? (zrb::test::deliverableDirectory() + ";" + oldPath_).c_str()
                                                : "C:\\windows\\system32;C:\\windows");
  }
  ~DllSearch() {
    SetEnvironmentVariableA("PATH", oldPath_.c_str());
    SetDllDirectoryA(nullptr);
  }

 private:
  static std::string pathNow() {
    char buffer[32768];
    DWORD n = GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
  }
  std::string oldPath_;
};

TEST(CardManagerBindingUnderWine, BindsTheRealManagerByNameAndFreesItAgain) {
  DllSearch search("single", true);
  zrb::win::Win32ModuleLoader loader;
  {
    CardManagerBinding binding(loader);
    ASSERT_EQ(binding.bind(), CS_OK);
    EXPECT_NE(GetModuleHandleA("slothub.dll"), nullptr);
    ManagerInfo info{};
    ASSERT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_OK);
    EXPECT_EQ(info.versionMajor, 5u);
    EXPECT_EQ(info.socketCount, 2u);
    SlotRequest request{1, 0, 0};
    uint8_t status = 0;
    EXPECT_EQ(binding.service(FN_STATUS, &request, &status, 1), CS_OK);
    binding.unbind();
    EXPECT_EQ(GetModuleHandleA("slothub.dll"), nullptr);  // both references given back
    EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, sizeof info, &info), CS_NOT_SUPPORTED);
  }
}

TEST(CardManagerBindingUnderWine, WithoutAManagerEveryCallAnswersNotSupported) {
  DllSearch search("empty", false);
  zrb::win::Win32ModuleLoader loader;
  CardManagerBinding binding(loader);
  EXPECT_EQ(binding.bind(), CS_NOT_SUPPORTED);
  SlotRequest request{0, 0, 0};
  uint8_t byte = 0;
  EXPECT_EQ(binding.service(FN_READ, &request, &byte, 1), CS_NOT_SUPPORTED);
  EXPECT_EQ(binding.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);
}

}  // namespace
