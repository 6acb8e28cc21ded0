// The arithmetic of the rip progress display.
#include "rip/progress_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ProgressMathTest, TextsBarsEstimatesAndSpeeds) {
  EXPECT_EQ(FormatElapsed(59.99), "00:00:59");  // truncated
  EXPECT_EQ(FormatElapsed(3661.9), "01:01:01");
  EXPECT_EQ(FormatElapsed(360000), "100:00:00");
  EXPECT_EQ(FormatPercent(5), " 5.00%");
  EXPECT_EQ(FormatPercent(12.5f), "12.50%");
  EXPECT_EQ(FormatPercent(100), "100.00%");
  EXPECT_EQ(PercentToBarPosition(99.9f), 99);
  EXPECT_DOUBLE_EQ(PercentOf(50, 200), 25.0);
  EXPECT_DOUBLE_EQ(PercentOf(0, 0), 100.0);
  EXPECT_DOUBLE_EQ(EstimateSecondsLeft(25, 10), 30.0);
  EXPECT_DOUBLE_EQ(EstimateSecondsLeft(0, 10), 0.0);
  EXPECT_EQ(FormatSpeed(882000, 88200, 5), "  2.00x");
  EXPECT_EQ(FormatSpeed(882000, 88200, 0), "  0.00x");
  EXPECT_EQ(FormatSpeed(88200.0 * 250, 88200, 2), " 125.00x");
  EXPECT_DOUBLE_EQ(SamplesPerSecondAt1x(1.0, false), 88200.0);
  EXPECT_DOUBLE_EQ(SamplesPerSecondAt1x(22050.0 / 44100.0, true), 22050.0);
}

TEST(ProgressMathTest, NonsenseInputIsZeroOrBounded) {
  EXPECT_EQ(FormatElapsed(-5), "00:00:00");
  EXPECT_EQ(FormatElapsed(std::nan("")), "00:00:00");
  EXPECT_FALSE(FormatElapsed(std::numeric_limits<double>::infinity()).empty());
  EXPECT_FALSE(FormatElapsed(1e300).empty());
  EXPECT_EQ(PercentToBarPosition(-1), 0);
  EXPECT_EQ(PercentToBarPosition(150), 100);
  EXPECT_EQ(PercentToBarPosition(std::nanf("")), 0);
}

RipProgressInput Input() {
  RipProgressInput in;
  in.trackPercent = 25.0f;
  in.overallPercent = 10.0f;
  in.jobStartTick = 1000;
  in.trackStartTick = 5000;
  in.now = 9000;  // 4 s into the track, 8 s into the job
  in.trackDone = 88200 * 8;
  in.totalDone = 88200 * 16;
  in.samplesPerSecondAt1x = 88200;
  return in;
}

TEST(ProgressMathTest, OnlyTheTenthMessageShowsTimesSpeedsAndEstimates) {
  const RipProgressView plain = ComputeRipProgressView(Input(), false);
  EXPECT_EQ(plain.trackPercentText, "25.00%");
  EXPECT_EQ(plain.overallBar, 10);
  EXPECT_FALSE(plain.timesUpdated);
  EXPECT_TRUE(plain.trackElapsed.empty());
  EXPECT_FALSE(plain.trackEta.has_value());

  const RipProgressView view = ComputeRipProgressView(Input(), true);
  ASSERT_TRUE(view.timesUpdated);
  EXPECT_EQ(view.trackElapsed, "00:00:04");
  EXPECT_EQ(view.overallElapsed, "00:00:08");
  EXPECT_EQ(view.trackEta, "00:00:12");    // 75 % left at 4 s per 25 %
  EXPECT_EQ(view.overallEta, "00:01:12");  // 90 % left at 8 s per 10 %
  EXPECT_EQ(view.trackSpeed, "  2.00x");
  EXPECT_EQ(view.overallSpeed, "  2.00x");
  EXPECT_EQ(view.taskbarValue, 10);

  ProgressMessageCounter counter;
  for (int i = 1; i <= 30; ++i) EXPECT_EQ(counter.Count(), i % 10 == 0) << "message " << i;
}

TEST(ProgressMathTest, NoEstimateAtZeroAndNoTimesInTheFirstTenthOfASecond) {
  RipProgressInput in = Input();
  in.trackPercent = 0;
  in.overallPercent = 0;
  const RipProgressView view = ComputeRipProgressView(in, true);
  EXPECT_TRUE(view.timesUpdated);
  EXPECT_FALSE(view.trackEta.has_value());
  EXPECT_FALSE(view.overallEta.has_value());

  in = Input();
  in.now = in.trackStartTick + 100;
  EXPECT_FALSE(ComputeRipProgressView(in, true).timesUpdated);
  in.now = in.trackStartTick + 101;
  EXPECT_TRUE(ComputeRipProgressView(in, true).timesUpdated);
}

TEST(ProgressMathTest, TicksWrapAround) {
  RipProgressInput in = Input();
  in.jobStartTick = 0xFFFFF000u;
  in.trackStartTick = 0xFFFFFF00u;
  in.now = 0x00000100u;
  const RipProgressView view = ComputeRipProgressView(in, true);
  ASSERT_TRUE(view.timesUpdated);
  EXPECT_EQ(view.trackElapsed, "00:00:00");    // 0.512 s
  EXPECT_EQ(view.overallElapsed, "00:00:04");  // 4.352 s
}

}  // namespace
