// The thread the image file's side of a transfer runs on: the order of the
// calls, and what becomes of a job that fails or throws.
#include "file_side_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tessel {
namespace {

TEST(FileSideWorker, RunsJobsInTheirOrderOnAThreadOfItsOwn) {
  std::vector<int> order;
  std::thread::id ranOn;
  {
    FileSideWorker worker;
    for (int job = 0; job < 100; ++job)
      worker.post([&, job] {
        order.push_back(job);
        ranOn = std::this_thread::get_id();
        return true;
      });
    EXPECT_TRUE(worker.wait());
    EXPECT_EQ(order.size(), 100u);
  }
  for (int job = 0; job < 100; ++job) ASSERT_EQ(order[job], job);
  EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(FileSideWorker, AFailedOrThrowingJobFailsTheWaitAndNothingAfterItRuns) {
  for (const bool throws : {false, true}) {
    FileSideWorker worker;
    int ran = 0;
    worker.post([&] { return ++ran > 0; });
    worker.post([&]() -> bool {
      ++ran;
      if (throws) throw std::runtime_error("disk gone");
      return false;
    });
    // Data after a gap would be a corrupt file: the rest is left out.
    worker.post([&] { return ++ran > 0; });
    EXPECT_FALSE(worker.wait());
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(worker.wait()) << "a failure is not forgotten";
  }
}

TEST(FileSideWorker, EndingWaitsForTheJobInHand) {
  std::atomic<bool> started{false}, finished{false};
  std::vector<int> data(1000, 1);
  {
    FileSideWorker worker;
    worker.post([&] {
      started = true;
      int sum = 0;
      for (int round = 0; round < 2000; ++round)
        for (int value : data) sum += value;
      finished = sum > 0;
      return true;
    });
    while (!started) std::this_thread::yield();
  }
  EXPECT_TRUE(finished) << "the buffers a job works on must not go while it runs";
}

}  // namespace
}  // namespace tessel
