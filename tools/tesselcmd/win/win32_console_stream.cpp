#include "win32_console_stream.h"

#include <algorithm>

#include "utf8_prefix.h"
#include "win32_text.h"

namespace tesselcmd::win {
namespace {

// Enough to keep the calls few on a file, little enough to show lines soon.
constexpr size_t kSendAt = 16 * 1024;

}  // namespace

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
         GetConsoleMode(handle, &mode) != FALSE;
}

HandleStreamBuffer::HandleStreamBuffer(HANDLE handle) : handle_(handle), console_(isConsole(handle)) {}

HandleStreamBuffer::~HandleStreamBuffer() {
  // A destructor cannot report; the program flushes and checks before this.
  try {
    send(true);
  } catch (...) {
  }
}

HandleStreamBuffer::int_type HandleStreamBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  pending_ += ch;
  // A console shows each line as it is finished, progress lines included.
  if ((console_ && (ch == '\n' || ch == '\r')) || pending_.size() >= kSendAt) send(false);
  return c;
}

std::streamsize HandleStreamBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<size_t>(count));
  const bool lineEnds = console_ && std::find_if(text, text + count, [](char c) {
                                      return c == '\n' || c == '\r';
                                    }) != text + count;
  if (lineEnds || pending_.size() >= kSendAt) send(false);
  return count;
}

int HandleStreamBuffer::sync() {
  send(false);
  return failed_ ? -1 : 0;
}

void HandleStreamBuffer::send(bool everything) {
  if (pending_.empty()) return;
  if (!console_) {
    // Lines end in CR LF, as a Windows program's redirected text does.
    std::string bytes;
    bytes.reserve(pending_.size() + pending_.size() / 16);
    for (char c : pending_) {
      if (c == '\n' && lastByte_ != '\r') bytes += '\r';
      bytes += c;
      lastByte_ = c;
    }
    if (!writeBytes(bytes.data(), bytes.size())) failed_ = true;
    pending_.clear();
    return;
  }
  // A character split across two writes would show as two wrong ones; its
  // first bytes wait for the rest, unless nothing more is coming.
  const size_t whole = everything ? pending_.size() : completeUtf8Prefix(pending_);
  if (whole == 0) return;
  if (!writeConsole(zrb::win::utf8ToWide(std::string_view(pending_).substr(0, whole)))) failed_ = true;
  pending_.erase(0, whole);
}

bool HandleStreamBuffer::writeBytes(const char* bytes, size_t count) {
  while (count > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1u << 20));
    if (!WriteFile(handle_, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

bool HandleStreamBuffer::writeConsole(const std::wstring& wide) {
  const wchar_t* text = wide.data();
  size_t count = wide.size();
  while (count > 0) {
    DWORD written = 0;
    // Old consoles refuse large writes; a few thousand characters always pass.
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 8192));
    if (!WriteConsoleW(handle_, text, chunk, &written, nullptr) || written == 0) return false;
    text += written;
    count -= written;
  }
  return true;
}

}  // namespace tesselcmd::win
