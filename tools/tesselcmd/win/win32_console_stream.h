// One of the program's standard handles as a C++ stream buffer. The tool's
// text is UTF-8: a console is given it as UTF-16 through WriteConsoleW, so
// Japanese shows whatever the console's code page; a file or pipe gets the
// UTF-8 bytes, lines ending in CR LF, so scripts read the same bytes
// whatever the system's code page.
#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace tesselcmd::win {

// True when `handle` is a console (not a file, pipe or the null device).
bool isConsole(HANDLE handle);

class HandleStreamBuffer : public std::streambuf {
 public:
  explicit HandleStreamBuffer(HANDLE handle);
  ~HandleStreamBuffer() override;
  HandleStreamBuffer(const HandleStreamBuffer&) = delete;
  HandleStreamBuffer& operator=(const HandleStreamBuffer&) = delete;

  bool console() const { return console_; }
  // Some text could not be written (a full disk, a closed pipe).
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void send(bool everything);
  bool writeBytes(const char* bytes, size_t count);
  bool writeConsole(const std::wstring& wide);

  HANDLE handle_;
  bool console_;
  bool failed_ = false;
  char lastByte_ = 0;  // the last byte sent, so a CR LF split across two sends stays one
  std::string pending_;
};

}  // namespace tesselcmd::win
