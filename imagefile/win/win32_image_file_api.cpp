// Windows build: the exports of hexo32.dll, imported at load time.
//
// The programs hold file names as UTF-8 (what their windows and command
// lines give, converted once); hexo32.dll opens files by the system's ANSI
// code page, as its callers always have. The seam converts the name on the
// way in, so a name the code page can spell (a Japanese name on a Japanese
// system) opens the very file the user chose, and one it cannot spell fails
// to open instead of creating a file under a garbled name.
#include "image_file_api.h"

#include <windows.h>

#include <string>

namespace {

// The ANSI spelling of a UTF-8 name. Text that is not UTF-8 is taken as
// already ANSI; characters the code page lacks become '?', which no file
// name may contain, so such a name cannot open anything.
std::string ansiName(const char* utf8) {
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (units <= 0) return utf8;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), units);
  const int bytes =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, "?", nullptr);
  if (bytes <= 0) return utf8;
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi.data(), bytes, "?", nullptr);
  ansi.resize(static_cast<size_t>(bytes - 1));  // without the terminator
  return ansi;
}

int32_t HEXO_API openUtf8(HexoHandle* handle, const char* path, int32_t direction, int32_t type) {
  if (!path) return HexoOpen(handle, path, direction, type);
  const std::string ansi = ansiName(path);
  return HexoOpen(handle, ansi.c_str(), direction, type);
}

}  // namespace

const ImageFileApi& imageFileApi() {
  static const ImageFileApi api{"hexo32.dll", &openUtf8,     &HexoGetB,     &HexoPutB,      &HexoIsEof,
                                &HexoClose,   &HexoGetError, &HexoGetLen,   &HexoGetLineNo, &HexoGetPath,
                                &HexoGetPos,  &HexoGetType,  &HexoPutBlock, &HexoGetBlock};
  return api;
}
