#include "progress_state.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ProgressState, StopEndsTheLoopAtTheNextStepAndCloseGivesTheOwnerBack) {
  ProgressState progress;
  EXPECT_TRUE(progress.ownerEnabled());
  progress.start(3);
  EXPECT_TRUE(progress.active());
  EXPECT_FALSE(progress.ownerEnabled());
  EXPECT_TRUE(progress.step());
  progress.stop();  // stop button or close box alike
  EXPECT_FALSE(progress.step());
  // The operation has not returned yet: the main window stays disabled.
  EXPECT_TRUE(progress.active());
  EXPECT_FALSE(progress.ownerEnabled());
  progress.close();
  EXPECT_FALSE(progress.active());
  EXPECT_TRUE(progress.ownerEnabled());

  progress.start(2);  // the next operation starts afresh
  EXPECT_TRUE(progress.continuing());
  EXPECT_EQ(progress.position(), 0u);
}

TEST(ProgressState, TheBarCountsStepsAndStopsAtItsEnd) {
  ProgressState progress;
  progress.start(2);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(progress.step());
  EXPECT_EQ(progress.position(), 2u);
  EXPECT_EQ(progress.maximum(), 2u);
}

}  // namespace
}  // namespace tessel
