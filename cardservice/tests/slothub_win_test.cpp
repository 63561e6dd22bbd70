// slothub.dll under Wine beside fake accessor modules: loading, numbering,
// routing, the version check with its message, and the resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "card_service.h"
#include "win/message_box_watcher.h"
#include "win/module_dir.h"

using namespace cardservice;

namespace {

using VeskcmFn = int32_t(__stdcall*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*);
using ServiceFn = int32_t(__stdcall*)(uint32_t, const SlotRequest*, uint32_t, void*, uint32_t);

// slothub.dll loaded with the DLL search pointed at one scenario's fakes.
class Manager {
 public:
  explicit Manager(const char* scenario) {
    const std::string fakes = zrb::test::executableDirectory() + "\\fakes\\" + scenario;
    CreateDirectoryA(fakes.c_str(), nullptr);  // "empty" has no fakes at all
    SetDllDirectoryA(fakes.c_str());
    module_ = LoadLibraryA((zrb::test::deliverableDirectory() + "\\slothub.dll").c_str());
    if (module_) {
      veskcm = reinterpret_cast<VeskcmFn>(reinterpret_cast<void*>(GetProcAddress(module_, "VESKCM")));
      service =
          reinterpret_cast<ServiceFn>(reinterpret_cast<void*>(GetProcAddress(module_, "SlotHubService")));
    }
  }
  ~Manager() {
    if (module_) FreeLibrary(module_);
    SetDllDirectoryA(nullptr);
  }
  bool loaded() const { return module_ && veskcm && service; }
  ManagerInfo info() {
    ManagerInfo result{};
    EXPECT_EQ(veskcm(FN_INFO, 0, 0, 0, sizeof result, &result), CS_OK);
    return result;
  }
  HMODULE module() const { return module_; }

  VeskcmFn veskcm = nullptr;
  ServiceFn service = nullptr;

 private:
  HMODULE module_ = nullptr;
};

struct Echo {
  uint32_t tag, socket, space, offset, length;
};

Echo readEcho(Manager& m, uint32_t socket) {
  Echo echo{};
  EXPECT_EQ(m.veskcm(FN_READ, socket, 1, 0x1234, sizeof echo, &echo), CS_OK);
  return echo;
}

}  // namespace

TEST(SlothubUnderWine, NumbersTheSocketsOfTheModulesThatServe) {
  Manager m("pair");
  ASSERT_TRUE(m.loaded());
  EXPECT_EQ(m.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
  ManagerInfo info = m.info();
  EXPECT_EQ(info.versionMajor, 5u);
  EXPECT_EQ(info.versionMinor, 2u);
  EXPECT_EQ(info.versionRelease, 0u);
  EXPECT_EQ(info.versionBuild, 111u);
  ASSERT_EQ(info.socketCount, 5u);
  const uint32_t categories[] = {0, 0, 0, 2, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(info.socketCategory[i], categories[i]);

  Echo echo = readEcho(m, 4);
  EXPECT_EQ(echo.tag, 7u);
  EXPECT_EQ(echo.socket, 1u);
  EXPECT_EQ(echo.space, 1u);
  EXPECT_EQ(echo.offset, 0x1234u);
  EXPECT_EQ(readEcho(m, 2).tag, 1u);
  EXPECT_EQ(readEcho(m, 2).socket, 2u);

  uint8_t byte = 0;
  EXPECT_EQ(m.veskcm(FN_READ, 5, 0, 0, 1, &byte), CS_BAD_SOCKET);
  EXPECT_EQ(m.veskcm(FN_CLOSE, 0, 0, 0, 0, nullptr), CS_OK);
}

TEST(SlothubUnderWine, InformationRecordsRespectTheCallersLength) {
  Manager m("single");
  ASSERT_TRUE(m.loaded());
  uint8_t bytes[sizeof(ManagerInfo)];
  std::memset(bytes, 0xEE, sizeof bytes);
  EXPECT_EQ(m.veskcm(FN_INFO, 0, 0, 0, 20, bytes), CS_OK);
  uint32_t count;
  std::memcpy(&count, bytes + 16, 4);
  EXPECT_EQ(count, 2u);
  for (size_t i = 20; i < sizeof bytes; ++i) ASSERT_EQ(bytes[i], 0xEE) << i;

  for (uint32_t length = 3; length <= 6; ++length) {
    uint8_t legacy[8];
    std::memset(legacy, 0xEE, sizeof legacy);
    EXPECT_EQ(m.service(FN_INFO, nullptr, 6, legacy, length), CS_OK);
    EXPECT_EQ(legacy[0], 2);
    EXPECT_EQ(legacy[1], 5);
    EXPECT_EQ(legacy[2], 2);
    const uint8_t counters[] = {0, 0, 2};
    for (uint32_t i = 3; i < 8; ++i) EXPECT_EQ(legacy[i], i < length ? counters[i - 3] : 0xEE);
  }
}

TEST(SlothubUnderWine, LegacyEntryRoutesAndTranslatesDeviceRecords) {
  Manager m("single");
  ASSERT_TRUE(m.loaded());
  EXPECT_EQ(m.service(FN_OPEN, nullptr, 0, nullptr, 0), CS_OK);
  SlotRequest request{1, 0, 0};
  LegacyDeviceRecord legacy{8, 0, 0x200000};
  EXPECT_EQ(m.service(FN_GET_DEVICE, &request, 6, &legacy, 6), CS_BAD_PARAMETER);
  EXPECT_EQ(m.service(FN_SET_DEVICE, &request, 6, &legacy, 8), CS_OK);
  LegacyDeviceRecord back{};
  EXPECT_EQ(m.service(FN_GET_DEVICE, &request, 6, &back, 8), CS_OK);
  EXPECT_EQ(back.type, 8);
  const uint32_t size = back.size;
  EXPECT_EQ(size, 0x200000u);

  // The manager's translation only: an unknown type becomes an empty record,
  // which this echoing module hands back and which reads as UNKNOWN. The
  // reader-writer accessor refuses such a record (accessor_win98_tests).
  legacy = {250, 0, 4096};
  EXPECT_EQ(m.service(FN_SET_DEVICE, &request, 6, &legacy, 8), CS_OK);
  EXPECT_EQ(m.service(FN_GET_DEVICE, &request, 6, &back, 8), CS_OK);
  EXPECT_EQ(back.type, 7);

  uint8_t status = 0;
  request.socket = 2;
  EXPECT_EQ(m.service(FN_STATUS, &request, 6, &status, 1), CS_BAD_SOCKET);
  request.socket = 0;
  EXPECT_EQ(m.service(FN_STATUS, &request, 6, &status, 1), CS_OK);
  EXPECT_EQ(status, 0x88);
}

TEST(SlothubUnderWine, TheTotalIsCappedAtThirtyTwo) {
  Manager m("cap");
  ASSERT_TRUE(m.loaded());
  ManagerInfo info = m.info();
  EXPECT_EQ(info.socketCount, 32u);
  EXPECT_EQ(info.socketCategory[31], 2u);
  Echo echo = readEcho(m, 31);
  EXPECT_EQ(echo.tag, 7u);
  EXPECT_EQ(echo.socket, 1u);
  uint8_t byte;
  EXPECT_EQ(m.veskcm(FN_READ, 32, 0, 0, 1, &byte), CS_BAD_SOCKET);
}

TEST(SlothubUnderWine, AModuleOfAnotherMinorVersionIsRefusedWithTheMessage) {
  zrb::test::MessageBoxWatcher watcher;
  Manager m("mismatch");
  ASSERT_TRUE(m.loaded());
  ManagerInfo info = m.info();
  ASSERT_EQ(info.socketCount, 1u);
  EXPECT_EQ(readEcho(m, 0).tag, 8u);  // VESKCIWN 5.2.9.9 serves
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, L"slothub.dll");
  // The system picks the language; both texts carry these parts.
  EXPECT_NE(seen[0].text.find(L"VESKCI2XS.DLL 5.3.0.1 "), std::wstring::npos) << seen[0].text.size();
  EXPECT_NE(seen[0].text.find(L"VESKCI2XS.DLL 5.2.??.?? "), std::wstring::npos);
}

TEST(SlothubUnderWine, WithoutModulesOpenFailsAndSocketsAreRefused) {
  Manager m("empty");
  ASSERT_TRUE(m.loaded());
  EXPECT_EQ(m.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_DEVICE_FAILURE);
  EXPECT_EQ(m.service(FN_OPEN, nullptr, 0, nullptr, 0), CS_DEVICE_FAILURE);
  uint8_t byte;
  EXPECT_EQ(m.veskcm(FN_READ, 0, 0, 0, 1, &byte), CS_BAD_SOCKET);
  EXPECT_EQ(m.info().socketCount, 0u);
}

TEST(SlothubUnderWine, CarriesTheVersionMessageInEnglishAndJapanese) {
  Manager m("empty");
  ASSERT_TRUE(m.loaded());
  // String 1 lives in string block 1 (strings 0-15) as its second entry.
  auto stringOne = [&](WORD language) -> std::wstring {
    HRSRC found =
        FindResourceExW(m.module(), reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(1), language);
    if (!found) return L"<missing>";
    const auto* block = static_cast<const WCHAR*>(LockResource(LoadResource(m.module(), found)));
    block += 1 + block[0];  // skip string 0
    return std::wstring(block + 1, block[0]);
  };
  EXPECT_EQ(
      stringOne(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
      L"%s %lu.%lu.%lu.%lu detected.\r\n\r\n%s %lu.%lu.??.?? needed.\r\n\r\nPlease re-install application.");
  EXPECT_EQ(stringOne(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
            L"%s %lu.%lu.%lu.%lu \x3092\x691C\x51FA\x3057\x307E\x3057\x305F\x3002\r\n\r\n%s %lu.%lu.??.?? "
            L"\x304C\x5FC5\x8981\x3067\x3059\x3002\r\n\r\n\x30A2\x30D7\x30EA\x30B1\x30FC\x30B7\x30E7\x30F3"
            L"\x3092\x518D\x30A4\x30F3\x30B9\x30C8\x30FC\x30EB\x3057\x3066\x304F\x3060\x3055\x3044\x3002");
}

TEST(SlothubUnderWine, DoesNotLoadWithoutItsVersionOrItsMessage) {
  const std::string tests = zrb::test::executableDirectory();
  EXPECT_EQ(LoadLibraryA((tests + "\\slothub_no_version.dll").c_str()), nullptr);
  EXPECT_EQ(LoadLibraryA((tests + "\\slothub_no_message.dll").c_str()), nullptr);
}

TEST(SlothubUnderWine, UnloadingTheManagerUnloadsItsModules) {
  {
    Manager m("single");
    ASSERT_TRUE(m.loaded());
    EXPECT_EQ(m.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);
    EXPECT_NE(GetModuleHandleA("VESKCI2XS.DLL"), nullptr);
    EXPECT_EQ(m.veskcm(FN_CLOSE, 0, 0, 0, 0, nullptr), CS_OK);
    EXPECT_EQ(GetModuleHandleA("VESKCI2XS.DLL"), nullptr);
    EXPECT_EQ(m.veskcm(FN_OPEN, 0, 0, 0, 0, nullptr), CS_OK);  // loads again
  }
  EXPECT_EQ(GetModuleHandleA("VESKCI2XS.DLL"), nullptr);  // freed with the manager
}
