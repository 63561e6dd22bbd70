// A help viewer that is slow to show its window, as a viewer started cold on
// a busy machine is: it waits, then runs the system's HTML Help viewer in
// its own process, on its main thread, as hh.exe does. A test puts it beside
// tessel.exe as "hh.exe", where the program's "hh" command finds it first.
#include <windows.h>

namespace {

constexpr DWORD kSlowStartMs = 1500;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  Sleep(kSlowStartMs);
  HMODULE viewer = LoadLibraryW(L"hhctrl.ocx");
  if (!viewer) return 1;
  using DoWinMain = int(WINAPI*)(HINSTANCE, LPSTR);
  auto run = reinterpret_cast<DoWinMain>(reinterpret_cast<void*>(GetProcAddress(viewer, "doWinMain")));
  return run ? run(instance, commandLine) : 1;
}
