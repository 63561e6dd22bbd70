// cardinfo.exe: binds the card manager by name, as the card utility does
// (SLOTHUB.DLL, else VESKCM.DLL, from the program's folder first), and
// prints the report.
#include <cstdio>

#include "card_manager_binding.h"
#include "card_report.h"
#include "win32_module_loader.h"

int main() {
  try {
    zrb::win::Win32ModuleLoader loader;
    cardservice::CardManagerBinding manager(loader);
    if (manager.bind() != cardservice::CS_OK) {
      std::fprintf(stderr,
                   "cardinfo: no card manager could be bound (SLOTHUB.DLL or VESKCM.DLL missing, "
                   "or no accessor module serves a socket)\n");
      return 2;
    }
    std::fputs(cardinfo::buildReport(manager).c_str(), stdout);
    return 0;
  } catch (...) {
    std::fprintf(stderr, "cardinfo: out of memory\n");
    return 2;
  }
}
