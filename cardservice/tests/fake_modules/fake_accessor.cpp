// A stand-in accessor module for the card manager's tests under Wine. Built
// several times under the real file names of the manager's list, with
// different versions, socket counts and defects (see CMakeLists.txt).
//
// Its VESKCI answers code 0 with FAKE_SOCKETS, code 1 with a ready card,
// code 3 by writing {FAKE_TAG, socket, space, offset, length} into the
// buffer, and keeps the record of code 6 per socket to give it back at code 2.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "card_service.h"

using namespace cardservice;

namespace {
DeviceRecord gDevice[64];
}

extern "C" int32_t __stdcall VESKCI(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                    uint32_t length, void* data) {
  if (code == FN_INFO) return FAKE_SOCKETS;
  if (socket >= 64 || static_cast<int>(socket) >= FAKE_SOCKETS) return CS_BAD_SOCKET;
  switch (code) {
    case FN_STATUS:
      if (data) *static_cast<uint8_t*>(data) = STATUS_CARD_PRESENT | STATUS_USABLE;
      return CS_OK;
    case FN_READ: {
      const uint32_t echo[5] = {FAKE_TAG, socket, space, offset, length};
      std::memcpy(data, echo, length < sizeof echo ? length : sizeof echo);
      return CS_OK;
    }
    case FN_SET_DEVICE:
      std::memcpy(&gDevice[socket], data, sizeof(DeviceRecord));
      return CS_OK;
    case FN_GET_DEVICE:
      std::memcpy(data, &gDevice[socket], sizeof(DeviceRecord));
      return CS_OK;
    default:
      return CS_NOT_SUPPORTED;
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
