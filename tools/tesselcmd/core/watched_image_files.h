// The image file interface as the tool hands it to the card utility's loops:
// every call goes to the real one, and the first error a handle reports is
// kept, so that the tool can say which error ended a transfer (the loops
// report only "file error" and close the file before they return).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image_file_api.h"

namespace tesselcmd {

struct FileError {
  int32_t code = 0;  // the library's error code
  int32_t line = 0;  // the text line it stood on; 0 when not known
  std::string path;
};

// While one exists, its table (files()) reaches `real` and records the first
// error into the watch. One at a time per thread.
class ImageFileWatch {
 public:
  explicit ImageFileWatch(const ImageFileApi& real);
  ~ImageFileWatch();
  ImageFileWatch(const ImageFileWatch&) = delete;
  ImageFileWatch& operator=(const ImageFileWatch&) = delete;

  const ImageFileApi& files() const;
  const std::optional<FileError>& firstError() const { return first_; }

  // Used by the forwarding table.
  const ImageFileApi& real() const { return real_; }
  void note(HexoHandle* handle, int32_t fallbackCode);

 private:
  const ImageFileApi& real_;
  ImageFileApi table_;  // the real calls, with opening and closing watched
  ImageFileWatch* previous_;
  std::optional<FileError> first_;
};

}  // namespace tesselcmd
