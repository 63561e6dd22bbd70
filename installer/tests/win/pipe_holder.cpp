// pipe_holder FLAG_FILE: creates the access service's pipe as its first
// instance, then creates FLAG_FILE and holds the pipe until that file is
// deleted. While it holds the pipe the service cannot start (it refuses to
// serve a pipe someone else created first), which is how the setup test makes
// a service start fail. Exit code 0 when the pipe was held, 1 otherwise.
#include <windows.h>

#include <cstdio>

#include "win32_owners.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pipe_holder FLAG_FILE\n");
    return 2;
  }
  zrb::win::UniqueHandle pipe(
      CreateNamedPipeA("\\\\.\\pipe\\zrb2x\\comm", PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
  if (!pipe) {
    std::fprintf(stderr, "pipe_holder: the pipe could not be created (%lu)\n", GetLastError());
    return 1;
  }
  zrb::win::UniqueHandle flag(CreateFileA(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!flag) {
    std::fprintf(stderr, "pipe_holder: %s could not be created\n", argv[1]);
    return 1;
  }
  flag.reset();
  while (GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES) Sleep(100);
  return 0;
}
