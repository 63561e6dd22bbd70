// The toolbar's 25 x 25 images, drawn by the program itself with plain GDI
// so that no bitmap file has to travel with it.
#pragma once

#include <windows.h>
// After windows.h, on which it builds.
#include <commctrl.h>

#include "win32_owners.h"

namespace tessel::win {

enum class ToolImage {
  Open,
  Close,
  FileToCard,
  CardToFile,
  Erase,
  EraseCheck,
  Compare,
  CardInfo,
  Jump,
  Search,
  SearchForward,
  SearchBackward,
  Help,
  Exit,
  Count
};

constexpr int kToolImageSize = 25;

struct ImageListTraits {
  using Value = HIMAGELIST;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { ImageList_Destroy(v); }
};
using UniqueImageList = zrb::win::Owned<ImageListTraits>;

// An image list with one image per ToolImage, in that order; the caller destroys it.
HIMAGELIST createToolImages();

}  // namespace tessel::win
