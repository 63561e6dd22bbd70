#include "win32_clipboard.h"

#include <cstring>
#include <string>

#include "win32_text.h"

namespace tessel::win {
namespace {

// The clipboard is the system's and another program may hold it a moment:
// a few tries, then the copy or paste simply finds it unavailable.
bool openClipboard(HWND owner) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(20);
  }
  return false;
}

struct ClipboardOpen {
  ~ClipboardOpen() { CloseClipboard(); }
};

}  // namespace

void Win32Clipboard::setText(std::string_view text) {
  const std::wstring wide = zrb::win::shiftJisToWide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return;
  if (void* target = GlobalLock(memory)) {
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(memory);
  }
  if (!openClipboard(owner_)) {
    GlobalFree(memory);
    return;
  }
  ClipboardOpen open;
  EmptyClipboard();
  // Once set, the memory is the clipboard's.
  if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
}

std::string Win32Clipboard::text() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !openClipboard(owner_)) return {};
  ClipboardOpen open;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  const auto* wide = static_cast<const wchar_t*>(GlobalLock(data));
  if (!wide) return {};
  std::wstring copy(wide, wcsnlen(wide, GlobalSize(data) / sizeof(wchar_t)));
  GlobalUnlock(data);
  return zrb::win::wideToShiftJis(copy);
}

}  // namespace tessel::win
