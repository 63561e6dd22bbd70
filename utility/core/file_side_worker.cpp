#include "file_side_worker.h"

namespace tessel {

FileSideWorker::FileSideWorker() : thread_([this] { serve(); }) {}

FileSideWorker::~FileSideWorker() {
  {
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return !job_; });
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void FileSideWorker::post(std::function<bool()> job) {
  {
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return !job_; });
    job_ = std::move(job);
  }
  changed_.notify_all();
}

bool FileSideWorker::wait() {
  std::unique_lock hold(lock_);
  changed_.wait(hold, [&] { return !job_; });
  return !failed_;
}

void FileSideWorker::serve() {
  std::unique_lock hold(lock_);
  for (;;) {
    changed_.wait(hold, [&] { return job_ || ending_; });
    if (!job_) return;
    // Once a job failed, later ones are not run: their data would follow a
    // gap in the file.
    if (!failed_) {
      const std::function<bool()>& job = job_;
      hold.unlock();
      bool succeeded = false;
      try {
        succeeded = job();
      } catch (...) {
        // No exception may leave a thread's entry: it becomes a failure.
      }
      hold.lock();
      if (!succeeded) failed_ = true;
    }
    job_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace tessel
