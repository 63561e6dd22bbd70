// A hidden window on a thread of its own that hands every WM_DEVICECHANGE
// broadcast to a callback.
#pragma once

#include <windows.h>

#include "win32_owners.h"

namespace zrb2x::service::win {

using DeviceChangeCallback = void (*)(WPARAM wParam, LPARAM lParam);

struct DeviceChangeNotifier {
  DeviceChangeCallback callback = nullptr;
  const char* className = nullptr;
  zrb::win::UniqueHandle thread;
  HWND window = nullptr;
  volatile LONG failed = 0;
  zrb::win::UniqueHandle ready;  // set by the thread once its window exists (or could not be made)
};

constexpr char kNotifierClassName[] = "zrb2x/veskcv2xs/wc/wmdcm2";

// Both return a Win32 error code: 0 on success.
DWORD startDeviceChangeNotifier(DeviceChangeNotifier* notifier);
DWORD stopDeviceChangeNotifier(DeviceChangeNotifier* notifier);

}  // namespace zrb2x::service::win
