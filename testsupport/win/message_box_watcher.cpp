#include "win/message_box_watcher.h"

namespace zrb::test {
namespace {

std::wstring windowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The message text of a message box is its static control with id 0xFFFF.
std::wstring messageText(HWND dialog) {
  HWND label = GetDlgItem(dialog, 0xFFFF);
  return label ? windowText(label) : std::wstring();
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int pressButton)
    : watcher_(
          [this](HWND box) {
            std::lock_guard lock(mutex_);
            seen_.push_back({windowText(box), messageText(box)});
          },
          pressButton) {}

std::vector<SeenMessageBox> MessageBoxWatcher::seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

void MessageBoxWatcher::clear() {
  std::lock_guard lock(mutex_);
  seen_.clear();
}

}  // namespace zrb::test
