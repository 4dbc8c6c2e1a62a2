#include "progress/chart.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tutor::progress {
namespace {

std::vector<std::pair<std::int64_t, double>> as_pairs(const std::vector<ChartPoint>& points) {
  std::vector<std::pair<std::int64_t, double>> pairs;
  for (const ChartPoint& p : points) {
    pairs.emplace_back(p.t, p.value);
  }
  return pairs;
}

TEST(Chart, TimesReadAsTheirOwnClockAndCrowdedPointsMergeIntoDays) {
  EXPECT_EQ(wall_seconds("2026-12-07T10:15:30+09:00"), wall_seconds("2026-12-07T10:15:30-05:00"));
  EXPECT_EQ(wall_seconds("1970-01-02T00:00:01+00:00"), 86401);
  for (const char* bad : {"", "2026-12-07", "2026-13-01T00:00:00", "2026-02-30T00:00:00",
                          "2026-12-07 10:15:30", "2026-12-O7T10:15:30"}) {
    EXPECT_FALSE(wall_seconds(bad)) << bad;
  }
  EXPECT_EQ(day_text(*wall_seconds("2026-12-07T23:59:59+09:00")), "2026-12-07");
  EXPECT_EQ(minute_text(*wall_seconds("2026-12-07T09:05:59+09:00")), "2026-12-07 09:05");
  // The moment itself puts times of different offsets in order.
  EXPECT_EQ(utc_seconds("1970-01-01T09:00:00+09:00"), 0);
  EXPECT_EQ(utc_seconds("1970-01-01T00:00:00-01:30"), 5400);
  EXPECT_EQ(utc_seconds("1970-01-01T00:00:10Z"), 10);
  EXPECT_FALSE(utc_seconds("1970-01-01T00:00:00+9:00"));

  const std::int64_t day = *wall_seconds("2026-12-07T00:00:00");
  const std::vector<ChartPoint> blocks = {
      {day + 3600, 60, true}, {day + 7200, 90, false}, {day + 86460, 100, true}};
  EXPECT_EQ(as_pairs(by_period(blocks, 1)), (std::vector<std::pair<std::int64_t, double>>{
                                                {day + 43200, 75}, {day + 86400 + 43200, 100}}));
  // A day is failed, drawn hollow, only when none of its blocks passed.
  EXPECT_FALSE(by_period(blocks, 1).front().failed);
  EXPECT_TRUE(by_period(blocks, 1).back().failed);
  const Axis x{double(day), double(day + 2 * kSecondsPerDay), 0, 100};
  EXPECT_TRUE(crowded(blocks, x, 4));  // an hour is 2 of 100 positions over two days
  EXPECT_FALSE(crowded(by_period(blocks, 1), x, 4));
  // Weeks count from Thursday 1970-01-01: 2026-12-03 to 12-09, its middle Sunday noon.
  EXPECT_EQ(as_pairs(by_period(blocks, 7)),
            (std::vector<std::pair<std::int64_t, double>>{
                {*wall_seconds("2026-12-06T12:00:00"), 250.0 / 3}}));
}

TEST(Chart, TheValueScaleReachesAboveTheBestInSevenRoundSteps) {
  EXPECT_EQ(value_step(126, 7), 20);
  EXPECT_EQ(value_step(141, 7), 30);
  EXPECT_EQ(value_step(1400, 7), 200);
  EXPECT_EQ(value_step(24000, 7), 4000);
  EXPECT_DOUBLE_EQ(number_of("1,234.5"), 1234.5);
  EXPECT_DOUBLE_EQ(number_of("-2"), -2);
}

}  // namespace
}  // namespace tutor::progress
