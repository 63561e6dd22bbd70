#include "watched_image_files.h"

namespace tesselcmd {
namespace {

// The table's entries are plain functions: they find the watch here. Only
// opening and closing go through the watch; the byte calls are the real
// library's own, since the library keeps a handle's first error until the
// handle is closed, where the watch reads it. (A look-up per byte cost the
// tool a quarter of its speed.)
thread_local ImageFileWatch* current = nullptr;

const ImageFileApi& real() { return current->real(); }

int32_t HEXO_API watchedOpen(HexoHandle* handle, const char* path, int32_t direction, int32_t type) {
  const int32_t result = real().open(handle, path, direction, type);
  if (result != 0) current->note(handle, 1);
  return result;
}

int32_t HEXO_API watchedClose(HexoHandle* handle) {
  // What the handle says before it is closed, while it still knows the line
  // and the path (closing then writes the last records, and may fail too).
  const int32_t before = real().getError(handle);
  if (before != 0) current->note(handle, before);
  const int32_t result = real().close(handle);
  if (before == 0 && result != 0) current->note(nullptr, 4);
  return result;
}

}  // namespace

ImageFileWatch::ImageFileWatch(const ImageFileApi& real) : real_(real), table_(real), previous_(current) {
  table_.name = "watched";
  table_.open = watchedOpen;
  table_.close = watchedClose;
  current = this;
}

ImageFileWatch::~ImageFileWatch() { current = previous_; }

const ImageFileApi& ImageFileWatch::files() const { return table_; }

void ImageFileWatch::note(HexoHandle* handle, int32_t fallbackCode) {
  if (first_) return;
  FileError error;
  error.code = handle != nullptr ? real_.getError(handle) : 0;
  if (error.code == 0) error.code = fallbackCode;
  if (handle != nullptr) {
    error.line = real_.getLineNo(handle);
    if (const char* path = real_.getPath(handle)) error.path = path;
  }
  first_ = std::move(error);
}

}  // namespace tesselcmd
