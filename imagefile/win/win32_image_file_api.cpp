// Windows build: the exports of hexo32.dll, imported at load time.
#include "image_file_api.h"

const ImageFileApi& imageFileApi() {
  static const ImageFileApi api{"hexo32.dll",   &HexoOpen,    &HexoGetB,     &HexoPutB,
                                &HexoIsEof,     &HexoClose,   &HexoGetError, &HexoGetLen,
                                &HexoGetLineNo, &HexoGetPath, &HexoGetPos,   &HexoGetType};
  return api;
}
