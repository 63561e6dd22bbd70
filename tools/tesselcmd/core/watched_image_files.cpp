#include "watched_image_files.h"

namespace tesselcmd {
namespace {

// The table's entries are plain functions: they find the watch here.
thread_local ImageFileWatch* current = nullptr;

const ImageFileApi& real() { return current->real(); }

int32_t HEXO_API watchedOpen(HexoHandle* handle, const char* path, int32_t direction, int32_t type) {
  const int32_t result = real().open(handle, path, direction, type);
  if (result != 0) current->note(handle, 1);
  return result;
}

int32_t HEXO_API watchedGetB(HexoHandle* handle, uint32_t* address) {
  const int32_t byte = real().getB(handle, address);
  // -1 is also the clean end of the data; only a set error is one.
  if (byte < 0 && real().getError(handle) != 0) current->note(handle, 0);
  return byte;
}

int32_t HEXO_API watchedPutB(HexoHandle* handle, uint32_t address, int32_t byte) {
  const int32_t result = real().putB(handle, address, byte);
  if (result < 0) current->note(handle, 4);
  return result;
}

int32_t HEXO_API watchedIsEof(HexoHandle* handle) { return real().isEof(handle); }

int32_t HEXO_API watchedClose(HexoHandle* handle) {
  // What the handle says before it is closed (closing writes the last records).
  const int32_t before = real().getError(handle);
  const int32_t result = real().close(handle);
  if (before != 0)
    current->note(handle, before);
  else if (result != 0)
    current->note(nullptr, 4);
  return result;
}

int32_t HEXO_API watchedGetError(HexoHandle* handle) { return real().getError(handle); }
int32_t HEXO_API watchedGetLen(HexoHandle* handle) { return real().getLen(handle); }
int32_t HEXO_API watchedGetLineNo(HexoHandle* handle) { return real().getLineNo(handle); }
char* HEXO_API watchedGetPath(HexoHandle* handle) { return real().getPath(handle); }
int32_t HEXO_API watchedGetPos(HexoHandle* handle) { return real().getPos(handle); }
int32_t HEXO_API watchedGetType(HexoHandle* handle) { return real().getType(handle); }

const ImageFileApi kWatched = {
    "watched",       watchedOpen,   watchedGetB,      watchedPutB,    watchedIsEof,  watchedClose,
    watchedGetError, watchedGetLen, watchedGetLineNo, watchedGetPath, watchedGetPos, watchedGetType,
};

}  // namespace

ImageFileWatch::ImageFileWatch(const ImageFileApi& real) : real_(real), previous_(current) { current = this; }

ImageFileWatch::~ImageFileWatch() { current = previous_; }

const ImageFileApi& ImageFileWatch::files() const { return kWatched; }

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
