// installed_tessel_check PROGRAM [FLAG_FILE]: starts the installed card
// utility as its user does, checks that its main window shows without a
// message (a program that cannot load the card manager beside it says so in
// a box), and closes it from its window, so that it stores its settings on
// the way out. With FLAG_FILE it keeps the program open meanwhile: it creates
// the file once the window shows and closes the program when the file is
// deleted (the setup test runs a setup while the program holds its files).
// Exit code 0 when all of that happened, 1 otherwise.
#include <windows.h>

#include <cstdio>

#include "tessel_process.h"
#include "win32_owners.h"

using tessel::test::TesselProcess;
using tessel::test::waitUntil;

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: installed_tessel_check PATH\\tessel.exe [FLAG_FILE]\n");
    return 2;
  }
  int failures = 0;
  {
    TesselProcess tessel(argv[1]);
    if (!tessel.frame() || !waitUntil([&] { return IsWindowVisible(tessel.frame()) != FALSE; }, 10000)) {
      std::fprintf(stderr, "tessel: no main window shown\n");
      return 1;
    }
    std::printf("tessel: main window shown\n");
    // Two polls: a card manager that is missing or finds no service is
    // reported in a box by then.
    if (HWND box = tessel.waitForDialog(5000)) {
      std::fprintf(stderr, "tessel: a message is shown: %ls\n", tessel::test::messageBoxText(box).c_str());
      ++failures;
    }
    if (argc == 3) {
      zrb::win::UniqueHandle flag(CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                              nullptr, CREATE_ALWAYS, 0, nullptr));
      if (!flag) {
        std::fprintf(stderr, "tessel: %s could not be created\n", argv[2]);
        return 1;
      }
      flag.reset();
      while (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) Sleep(100);
    }
    PostMessageW(tessel.frame(), WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!tessel.waitForExit(20000, &code)) {
      std::fprintf(stderr, "tessel: did not end after its main window was closed\n");
      return 1;
    }
    if (code != 0) {
      std::fprintf(stderr, "tessel: ended with exit code %lu\n", code);
      ++failures;
    }
    std::printf("tessel: closed from its main window\n");
  }
  return failures == 0 ? 0 : 1;
}
