#include "win32_text.h"

#include <windows.h>

namespace zrb::win {
namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                      nullptr);
  return text;
}

}  // namespace

std::wstring utf8ToWide(std::string_view utf8) { return toWide(CP_UTF8, utf8); }
std::string wideToUtf8(std::wstring_view wide) { return fromWide(CP_UTF8, wide); }
std::wstring shiftJisToWide(std::string_view sjis) { return toWide(kShiftJisCodePage, sjis); }
std::string wideToShiftJis(std::wstring_view wide) { return fromWide(kShiftJisCodePage, wide); }

std::optional<std::string> wideToShiftJisExactly(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  BOOL defaulted = FALSE;
  const int length = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr, &defaulted);
  if (length <= 0 || defaulted) return std::nullopt;
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      text.data(), length, nullptr, &defaulted);
  if (defaulted) return std::nullopt;
  return text;
}

size_t copyShiftJis(std::wstring_view wide, char* out, size_t capacity) {
  if (capacity == 0 || !out) return 0;
  // Convert character by character (a surrogate pair stays together), so
  // that the cut falls between characters and never splits a lead byte from
  // its trail byte.
  size_t used = 0;
  for (size_t i = 0; i < wide.size();) {
    const size_t units = (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size()) ? 2 : 1;
    char bytes[8];
    const int n = WideCharToMultiByte(kShiftJisCodePage, 0, wide.data() + i, static_cast<int>(units), bytes,
                                      sizeof bytes, nullptr, nullptr);
    if (n <= 0 || used + static_cast<size_t>(n) > capacity - 1) break;
    for (int k = 0; k < n; ++k) out[used++] = bytes[k];
    i += units;
  }
  out[used] = '\0';
  return used;
}

}  // namespace zrb::win
