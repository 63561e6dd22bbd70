// Closes the message boxes that this process shows and keeps their captions
// and texts, so that a test can provoke a message box, go on without
// blocking, and then check what was said.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "win/dialog_watcher.h"

namespace zrb::test {

struct SeenMessageBox {
  std::wstring caption;
  std::wstring text;
};

class MessageBoxWatcher {
 public:
  // pressButton: the control identifier the watcher "clicks" (IDOK = 1).
  explicit MessageBoxWatcher(int pressButton = 1);

  std::vector<SeenMessageBox> seen() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<SeenMessageBox> seen_;
  DialogWatcher watcher_;  // last: it stops before what it fills goes
};

}  // namespace zrb::test
