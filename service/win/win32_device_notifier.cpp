#include "win32_device_notifier.h"

namespace zrb2x::service::win {
namespace {

constexpr DWORD kStopWaitMs = 600;
constexpr DWORD kReadyWaitMs = 5000;

LRESULT CALLBACK notifierWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE) {
    auto* notifier = reinterpret_cast<DeviceChangeNotifier*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (notifier && notifier->callback) notifier->callback(wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

DWORD fail(DeviceChangeNotifier* notifier, DWORD exitCode) {
  InterlockedExchange(&notifier->failed, 1);
  if (notifier->ready) SetEvent(notifier->ready.get());
  return exitCode;
}

DWORD WINAPI notifierThread(void* parameter) {
  auto* notifier = static_cast<DeviceChangeNotifier*>(parameter);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (!GetClassInfoA(instance, notifier->className, &existing)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = notifierWindowProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.lpszClassName = notifier->className;
    if (!RegisterClassA(&wc)) return fail(notifier, static_cast<DWORD>(-2));
  }
  HWND window =
      CreateWindowExA(0, notifier->className, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!window) return fail(notifier, static_cast<DWORD>(-3));
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(notifier));
  notifier->window = window;
  if (notifier->ready) SetEvent(notifier->ready.get());

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (!DestroyWindow(window)) return fail(notifier, static_cast<DWORD>(-4));
  if (!UnregisterClassA(notifier->className, instance)) return fail(notifier, static_cast<DWORD>(-5));
  return 0;
}

}  // namespace

DWORD startDeviceChangeNotifier(DeviceChangeNotifier* notifier) {
  if (!notifier || !notifier->callback || !notifier->className) return ERROR_INVALID_PARAMETER;
  if (notifier->thread) return 0;
  // Start returns once the window exists, so that a stop right after it
  // finds a window to send the quit message to.
  notifier->ready.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  notifier->thread.reset(CreateThread(nullptr, 0, notifierThread, notifier, 0, nullptr));
  if (!notifier->thread) {
    DWORD error = GetLastError();
    notifier->callback = nullptr;
    notifier->ready.reset();
    return error ? error : ERROR_GEN_FAILURE;
  }
  if (notifier->ready) WaitForSingleObject(notifier->ready.get(), kReadyWaitMs);
  if (notifier->failed) {
    stopDeviceChangeNotifier(notifier);
    return ERROR_GEN_FAILURE;
  }
  return 0;
}

DWORD stopDeviceChangeNotifier(DeviceChangeNotifier* notifier) {
  if (!notifier) return ERROR_INVALID_PARAMETER;
  if (!notifier->thread) return 0;
  if (notifier->window) PostMessageA(notifier->window, WM_QUIT, 0, 0);
  if (WaitForSingleObject(notifier->thread.get(), kStopWaitMs) != WAIT_OBJECT_0)
    TerminateThread(notifier->thread.get(), static_cast<DWORD>(-2));
  notifier->thread.reset();
  notifier->ready.reset();
  notifier->window = nullptr;
  notifier->callback = nullptr;
  return 0;
}

}  // namespace zrb2x::service::win
