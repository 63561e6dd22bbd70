// What the Wine tests of tessel.exe share: virtual readers under the
// installed access service (or, with ZRB_TEST_WIN98=1, the Windows 98 path
// in-process), the program's own registry key cleared around each test, and
// small helpers that act on its windows as a user would.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, on which they build.
#include <commctrl.h>
#include <shlwapi.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"
#include "service_control.h"
#include "tessel_ids.h"
#include "tessel_process.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"

namespace tessel::test {

namespace virt = zrb2x::virt;
using zrb2x::service::test::ServiceManager;

// The accessor reports every present card usable, so a yellow lamp is left
// to the poll's native tests.
constexpr int kOnePoll = 4000;  // one 2-second poll and Wine's latency

inline bool win98Path() {
  const char* flag = std::getenv("ZRB_TEST_WIN98");
  return flag && std::string(flag) == "1";
}

inline std::string tesselPath() { return zrb::test::deliverableDirectory() + "\\tessel.exe"; }

// What the screen shows inside a lamp, beside its number.
inline COLORREF lampColour(HWND lamp) {
  RECT area;
  GetWindowRect(lamp, &area);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, area.left + 1, area.bottom - 2);
  ReleaseDC(nullptr, screen);
  return colour;
}

inline bool buttonEnabled(const TesselProcess& tessel, int id) {
  return SendMessageW(tessel.control(IDC_ToolBar1), TB_ISBUTTONENABLED, id, 0) != 0;
}

inline void command(const TesselProcess& tessel, int id) {
  PostMessageW(tessel.frame(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

inline void setText(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

inline void press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

inline bool gone(HWND window) {
  return waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
}

class TesselGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvane\\tessel");
    addReaders();
    if (win98Path()) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tessel.exe", 0, nullptr, 0,
                                KEY_WRITE, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"win98"), 12);
      RegCloseKey(key);
      SetEnvironmentVariableA("ZRB2X_VIRTUAL", readers.path().string().c_str());
    } else {
      ASSERT_TRUE(zrb2x::service::test::setMachineVirtualFolder(readers.path().string()));
      ASSERT_TRUE(service.installAndStart());
    }
  }
  void TearDown() override {
    if (win98Path()) {
      SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tessel.exe");
    } else {
      service.remove();
      zrb2x::service::test::setMachineVirtualFolder("");
    }
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvane\\tessel");
  }
  // Sockets 1 to 4: SRAM, a 28F008 flash card, an empty reader, two regions.
  virtual void addReaders() {
    addReader(0, virt::CardTemplate::Sram);
    addReader(1, virt::CardTemplate::Flash28F008);
    ASSERT_EQ(virt::createReader(reader(2), {}), "");  // no card
    addReader(3, virt::CardTemplate::TwoRegion);
  }
  std::filesystem::path reader(int socket) {
    return readers.path() / ("reader" + std::to_string(10 + socket));
  }
  void addReader(int socket, virt::CardTemplate card, const virt::InsertOptions& options = {}) {
    ASSERT_EQ(virt::createReader(reader(socket), {}), "");
    ASSERT_EQ(virt::insertCard(reader(socket), card, options), "");
  }
  HWND lamp(const TesselProcess& tessel, int socket) { return tessel.control(IDC_S1Led + socket); }

  zrb::test::ScratchDir readers;
  ServiceManager service;
};

// The first `count` bytes of a virtual card's common memory.
inline std::vector<uint8_t> cardBytes(const std::filesystem::path& reader, size_t count) {
  std::ifstream image(reader / "common.img", std::ios::binary);
  std::vector<uint8_t> bytes(count);
  image.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  return bytes;
}

// The first line of a list's text.
inline std::wstring firstLine(const std::wstring& text) { return text.substr(0, text.find(L"\r\n")); }

}  // namespace tessel::test
