#include "win32_error_texts.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "error_texts.rh"
#include "hexo_handle.h"
#include "win32_text.h"

namespace hexo::win {

namespace {

constexpr int kTextBufferSize = 256;

std::array<std::unique_ptr<char[]>, kErrorCodeCount> texts;

// Reads string resource `id` from its block of sixteen counted UTF-16
// strings. Done by hand rather than with LoadStringW, which Windows 9x lacks.
int loadWideString(HMODULE module, UINT id, wchar_t* buffer, int capacity) {
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), MAKEINTRESOURCEA(6) /* RT_STRING */);
  if (resource == nullptr) return 0;
  HGLOBAL loaded = LoadResource(module, resource);
  const auto* block = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
  if (block == nullptr) return 0;
  const WCHAR* end = block + SizeofResource(module, resource) / sizeof(WCHAR);
  for (UINT index = 0; index < id % 16; ++index) {
    if (block >= end) return 0;
    block += 1 + *block;
  }
  if (block >= end) return 0;
  int length = *block++;
  if (block + length > end) return 0;
  if (length > capacity) length = capacity;
  std::memcpy(buffer, block, length * sizeof(WCHAR));
  return length;
}

}  // namespace

bool loadErrorTexts(HMODULE module) {
  for (int code = 0; code < kErrorCodeCount; ++code) {
    wchar_t wide[kTextBufferSize];
    char narrow[kTextBufferSize];
    const int wideLength = loadWideString(module, HEXO_ERROR_TEXT_BASE + code, wide, kTextBufferSize);
    // Shift-JIS whatever the system's code page; a text longer than the
    // buffer is cut between characters.
    const size_t length = zrb::win::copyShiftJis(std::wstring_view(wide, static_cast<size_t>(wideLength)),
                                                 narrow, kTextBufferSize);
    texts[code].reset(new (std::nothrow) char[length + 1]);
    if (!texts[code]) {
      freeErrorTexts();
      return false;
    }
    std::memcpy(texts[code].get(), narrow, length);
    texts[code][length] = '\0';
  }
  return true;
}

void freeErrorTexts() {
  for (auto& text : texts) text.reset();
}

const char* errorText(unsigned code) {
  const char* text = texts[code < kErrorCodeCount ? code : kErrorCodeCount - 1].get();
  return text != nullptr ? text : "";
}

}  // namespace hexo::win
