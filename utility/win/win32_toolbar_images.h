// The toolbar's 25 x 25 images, drawn by the program itself with plain GDI
// so that no bitmap file has to travel with it.
#pragma once

#include <commctrl.h>
#include <windows.h>

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

// An image list with one image per ToolImage, in that order; the caller destroys it.
HIMAGELIST createToolImages();

}  // namespace tessel::win
