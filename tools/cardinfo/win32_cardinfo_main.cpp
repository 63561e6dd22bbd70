// cardinfo.exe: loads slothub.dll by name, as the card utility does (from the
// program's folder first), and prints the report.
#include <windows.h>

#include <cstdio>

#include "card_report.h"

namespace {

using VeskcmFn = int32_t(__stdcall*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*);
using ServiceFn = int32_t(__stdcall*)(uint32_t, const cardservice::SlotRequest*, uint32_t, void*, uint32_t);

class LoadedManager final : public cardinfo::CardServiceCalls {
 public:
  LoadedManager(VeskcmFn veskcm, ServiceFn service) : veskcm_(veskcm), service_(service) {}
  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                 void* data) override {
    return veskcm_(code, socket, space, offset, length, data);
  }
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t bufferLength) override {
    return service_(code, request, sizeof(cardservice::SlotRequest), buffer, bufferLength);
  }

 private:
  VeskcmFn veskcm_;
  ServiceFn service_;
};

struct Library {
  HMODULE handle;
  ~Library() {
    if (handle) FreeLibrary(handle);
  }
};

}  // namespace

int main() {
  try {
    Library library{LoadLibraryA("SLOTHUB.DLL")};
    if (!library.handle) library.handle = LoadLibraryA("VESKCM.DLL");
    if (!library.handle) {
      std::fprintf(stderr, "cardinfo: the card manager (SLOTHUB.DLL) cannot be loaded\n");
      return 2;
    }
    auto veskcm = reinterpret_cast<VeskcmFn>(reinterpret_cast<void*>(GetProcAddress(library.handle, "VESKCM")));
    auto service =
        reinterpret_cast<ServiceFn>(reinterpret_cast<void*>(GetProcAddress(library.handle, "SlotHubService")));
    if (!veskcm || !service) {
      std::fprintf(stderr, "cardinfo: the card manager lacks VESKCM or SlotHubService\n");
      return 2;
    }
    LoadedManager manager(veskcm, service);
    std::fputs(cardinfo::buildReport(manager).c_str(), stdout);
    return 0;
  } catch (...) {
    std::fprintf(stderr, "cardinfo: out of memory\n");
    return 2;
  }
}
