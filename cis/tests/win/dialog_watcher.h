// Inspects and closes the modal dialogs this process opens, on a thread of
// its own, so a test can call a viewer (which blocks until its dialog ends)
// and check what the dialog showed.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace cis::test {

class DialogWatcher {
 public:
  using Inspect = std::function<void(HWND dialog)>;
  explicit DialogWatcher(Inspect inspect);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  int handled() const { return handled_; }

 private:
  void run();

  Inspect inspect_;
  std::atomic<bool> stop_{false};
  std::atomic<int> handled_{0};
  std::thread thread_;
};

// A visible dialog of this process owned by `owner` (any when null) and not in
// `except`; waits up to `milliseconds`.
HWND waitForDialog(HWND owner, HWND except, int milliseconds = 5000);
void closeDialog(HWND dialog);         // presses OK and waits until it is gone
std::string controlText(HWND window);  // Shift-JIS, read with WM_GETTEXT
std::string itemText(HWND dialog, int id);
std::string listItem(HWND list, int index, bool combo = false);

}  // namespace cis::test
