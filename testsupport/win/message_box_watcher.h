// Closes the message boxes (dialogs of class "#32770") that this process
// shows, and keeps their captions and texts, so that a test can provoke a
// message box, go on without blocking, and then check what was said.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zrb::test {

struct SeenMessageBox {
  std::wstring caption;
  std::wstring text;
};

class MessageBoxWatcher {
 public:
  // pressButton: the control identifier the watcher "clicks" (IDOK = 1).
  explicit MessageBoxWatcher(int pressButton = 1);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  std::vector<SeenMessageBox> seen() const;
  void clear();

 private:
  void run();

  int pressButton_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<SeenMessageBox> seen_;
  std::thread thread_;
};

}  // namespace zrb::test
