// Finds, inspects and closes the dialogs (class "#32770": message boxes and
// dialog boxes) that this process shows, on a thread of its own, so that a
// test can call something that blocks in a modal dialog and then check what
// the dialog showed.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace zrb::test {

class DialogWatcher {
 public:
  using Inspect = std::function<void(HWND dialog)>;
  // Each dialog is handed to `inspect`, then closed by "clicking" `button`.
  explicit DialogWatcher(Inspect inspect, int button = IDOK);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  int handled() const { return handled_; }

 private:
  void run();

  Inspect inspect_;
  int button_;
  std::atomic<bool> stop_{false};
  std::atomic<int> handled_{0};
  std::thread thread_;
};

// A visible dialog of this process owned by `owner` (any when null) and not
// `except`; waits up to `milliseconds`, null when none came.
HWND waitForDialog(HWND owner, HWND except, int milliseconds = 5000);
// Clicks `button` and waits until the dialog is gone.
void closeDialog(HWND dialog, int button = IDOK);

}  // namespace zrb::test
