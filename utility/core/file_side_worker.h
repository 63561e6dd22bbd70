// The image file's side of a transfer on a thread of its own: reading the
// file one block ahead of the card's writes, or writing it one block behind
// the card's reads, overlaps the file's work with the card's instead of
// adding to it. Jobs run one at a time in the order posted, so the file sees
// its calls in the same order as without the thread, and only one thread at
// a time touches the handle.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tessel {

class FileSideWorker {
 public:
  FileSideWorker();
  // Lets the job in hand finish first: what it works on must outlive it.
  ~FileSideWorker();
  FileSideWorker(const FileSideWorker&) = delete;
  FileSideWorker& operator=(const FileSideWorker&) = delete;

  // Waits for the job before to end, then hands this one over. A job says
  // whether it succeeded; one that throws counts as failed.
  void post(std::function<bool()> job);
  // Waits until every posted job has run: false once any of them failed.
  bool wait();

 private:
  void serve();

  std::mutex lock_;
  std::condition_variable changed_;
  std::function<bool()> job_;  // empty when idle
  bool failed_ = false;
  bool ending_ = false;
  std::thread thread_;  // last: started once the members above exist
};

}  // namespace tessel
