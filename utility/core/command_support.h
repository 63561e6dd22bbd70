// What every long command's loop holds while it runs: the progress window,
// shown for the life of the loop, and an image file, closed on every way out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "image_file_api.h"
#include "texts.h"
#include "user_ports.h"

namespace tessel {

// A file name as the programs hold it (UTF-8) as the file system takes it:
// on Windows the UTF-8 is converted to the system's wide names, never read in
// the ANSI code page.
inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Shows the progress window for the life of a loop, so that every way out
// of the loop closes it.
class ProgressRun {
 public:
  ProgressRun(Progress& progress, uint16_t caption, uint32_t steps) : progress_(progress) {
    progress_.start(steps, text(caption));
  }
  ~ProgressRun() { finish(); }
  ProgressRun(const ProgressRun&) = delete;
  ProgressRun& operator=(const ProgressRun&) = delete;

  // The card address of the block being processed.
  void at(uint32_t address) {
    char position[16];
    std::snprintf(position, sizeof position, "%08x", static_cast<unsigned>(address));
    progress_.setPosition(position);
  }
  // false once the user chose to stop.
  bool step() { return progress_.step(); }
  // Closes the window before a closing message, which must not sit behind it.
  void finish() {
    if (open_) progress_.close();
    open_ = false;
  }

 private:
  Progress& progress_;
  bool open_ = true;
};

// An image file closed on every way out; the result of closing a file that
// was written is taken by hand before, because a failed last record shows
// only there.
class OpenImageFile {
 public:
  explicit OpenImageFile(const ImageFileApi& files) : files_(files) {}
  ~OpenImageFile() {
    if (open_) files_.close(&handle_);
  }
  OpenImageFile(const OpenImageFile&) = delete;
  OpenImageFile& operator=(const OpenImageFile&) = delete;

  bool open(const std::string& path, int32_t direction, int32_t type) {
    open_ = files_.open(&handle_, path.c_str(), direction, type) == 0;
    return open_;
  }
  int32_t close() {
    open_ = false;
    return files_.close(&handle_);
  }
  HexoHandle& handle() { return handle_; }

 private:
  const ImageFileApi& files_;
  HexoHandle handle_{};
  bool open_ = false;
};

}  // namespace tessel
