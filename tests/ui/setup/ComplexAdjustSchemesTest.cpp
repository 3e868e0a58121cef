// The press-and-hold schemes: first delays, and the step and repeat rate
// for a tick count, at and around each threshold.
#include <gtest/gtest.h>

#include <ui/setup/ComplexAdjustSchemesUnit.h>

namespace velt {
namespace {

TEST(AdjustSchemes, FirstDelaysAndDirections) {
  EXPECT_EQ(AdjustScheme(kGainDownScheme).FirstDelayMs, 700u);
  EXPECT_EQ(AdjustScheme(kGainUpScheme).FirstDelayMs, 700u);
  for (const int s : {kRangeLongScheme, kRangeShortScheme, kCursorRightScheme, kCursorLeftScheme}) {
    EXPECT_EQ(AdjustScheme(s).FirstDelayMs, 400u) << s;
  }
  // The first step of each button: one unit its own way.
  EXPECT_EQ(AdjustStep(kGainDownScheme, 0), 1);
  EXPECT_EQ(AdjustStep(kGainUpScheme, 0), -1);
  EXPECT_EQ(AdjustStep(kRangeLongScheme, 0), 1);
  EXPECT_EQ(AdjustStep(kRangeShortScheme, 0), -1);
  EXPECT_EQ(AdjustStep(kCursorRightScheme, 0), 1);
  EXPECT_EQ(AdjustStep(kCursorLeftScheme, 0), -1);
}

TEST(AdjustSchemes, StepsGrowAtTheThresholds) {
  struct TCase {
    int Scheme;
    unsigned Ticks;
    int Step;
  };
  const TCase cases[] = {
      {kGainDownScheme, 1, 1},     {kGainDownScheme, 4, 1},     {kGainDownScheme, 5, 2},
      {kGainDownScheme, 99, 5},    {kGainDownScheme, 100, 6},   {kGainDownScheme, 4999, 10},
      {kGainDownScheme, 5000, 11}, {kGainDownScheme, 65535, 11}, {kGainUpScheme, 10, -3},
      {kRangeShortScheme, 20, -4}, {kCursorRightScheme, 14, 2},   {kCursorRightScheme, 15, 2},
      {kCursorRightScheme, 20, 3}, {kCursorRightScheme, 45, 5},   {kCursorRightScheme, 129, 8},
      {kCursorRightScheme, 130, 10}, {kCursorLeftScheme, 60, -5},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(AdjustStep(c.Scheme, c.Ticks), c.Step) << c.Scheme << " at " << c.Ticks;
  }
}

TEST(AdjustSchemes, RepeatIntervalsFollowTheRates) {
  EXPECT_EQ(AdjustIntervalMs(kGainUpScheme, 1), 333);
  EXPECT_EQ(AdjustIntervalMs(kGainUpScheme, 5000), 333);
  EXPECT_EQ(AdjustIntervalMs(kRangeLongScheme, 1), 333);
  EXPECT_EQ(AdjustIntervalMs(kRangeLongScheme, 5), 323);    // 3.1 per second
  EXPECT_EQ(AdjustIntervalMs(kRangeLongScheme, 5000), 200);  // 5.0
  EXPECT_EQ(AdjustIntervalMs(kCursorRightScheme, 15), 222);  // 4.5
  EXPECT_EQ(AdjustIntervalMs(kCursorLeftScheme, 130), 125);  // 8.0
}

}  // namespace
}  // namespace velt
