#include "win32_card_window.h"

#include <string>

#include "texts.h"
#include "win32_text.h"

namespace tessel::win {

const wchar_t kCardWindowClass[] = L"Tdumpwindow";

namespace {

// Index of the window's "active" flag in its window extra bytes.
constexpr int kActiveFlag = 0;

LRESULT CALLBACK cardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MDIACTIVATE:
      SetWindowLongPtrW(window, kActiveFlag, reinterpret_cast<HWND>(lParam) == window ? 1 : 0);
      break;
    case kIsActiveCardWindow:
      return GetWindowLongPtrW(window, kActiveFlag);
    case kUpdateSocketLamps:
      return 0;
    case WM_CLOSE: {
      // The frame learns of it first, so that it can update its toolbar
      // while this window still counts as open.
      HWND frame = GetParent(GetParent(window));
      SendMessageW(frame, kCardWindowClosing, reinterpret_cast<WPARAM>(window), 0);
      HWND client = GetParent(window);
      SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
      return 0;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wParam, lParam);
}

std::wstring captionFor(const CurrentSelection& selection) {
  std::string caption = std::string(text(sid::kSocket)) + std::to_string(selection.socket + 1) + " ";
  if (selection.space != 0)
    caption += std::string(text(sid::kAttribute));
  else
    caption += std::string(text(sid::kCommon)) + " " + std::string(text(sid::kRegion)) +
               std::to_string(selection.region + 1);
  return zrb::win::utf8ToWide(caption);
}

}  // namespace

bool registerCardWindowClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = cardWindowProc;
  windowClass.cbWndExtra = sizeof(LONG_PTR);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kCardWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

HWND createCardWindow(HWND mdiClient, const CurrentSelection& selection) {
  std::wstring caption = captionFor(selection);
  MDICREATESTRUCTW create{};
  create.szClass = kCardWindowClass;
  create.szTitle = caption.c_str();
  create.hOwner = GetModuleHandleW(nullptr);
  create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
  create.style = WS_VISIBLE;
  return reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

}  // namespace tessel::win
