#include "lessonkit/evaluation.h"

#include <gtest/gtest.h>

namespace tutor::lessonkit {
namespace {

TEST(ElapsedTime, BorrowsSecondsAndMinutesAndCrossesMidnight) {
  EXPECT_EQ(elapsed_between("12:00:50", "12:03:10"), (ElapsedTime{2, 20}));
  EXPECT_EQ(elapsed_between("23:59:30", "00:04:15"), (ElapsedTime{4, 45}));
  EXPECT_EQ(elapsed_between("09:58:59", "10:01:00"), (ElapsedTime{2, 1}));
  EXPECT_EQ(elapsed_between("10:00:00", "10:00:00"), (ElapsedTime{0, 0}));
}

TEST(Score, IsRightLessWrongPerMinute) {
  // 400 characters in 5 minutes with 10 errors: 390 / 5.
  const Score s = score_block({400, 10, "12:00:00", "12:05:00", {}});
  EXPECT_EQ(s.time, (ElapsedTime{5, 0}));
  EXPECT_EQ(s.errors, 10);
  EXPECT_FLOAT_EQ(s.evaluation, 78.0f);
  EXPECT_EQ(verdict_of(s), Verdict::TooSlow);
  // 380 in 4 min 10 s.
  EXPECT_NEAR(score_block({400, 20, "12:00:00", "12:04:10", {}}).evaluation, 91.2f, 0.01f);
}

TEST(Score, NoRightKeystrokeScoresNothingAndZeroTimeCountsAsASecond) {
  const Score none = score_block({0, 5, "12:00:00", "12:09:00", {}});
  EXPECT_EQ(none.time, (ElapsedTime{0, 0}));
  EXPECT_EQ(none.evaluation, 0.0f);
  const Score instant = score_block({400, 0, "12:00:00", "12:00:00", {}});
  EXPECT_EQ(instant.time, (ElapsedTime{0, 1}));
  EXPECT_FLOAT_EQ(instant.evaluation, 24000.0f);
}

TEST(Verdict, PassNeedsEightyAndAtMostThirtyErrors) {
  EXPECT_EQ(verdict_of({{}, 30, 80.0f}), Verdict::Pass);
  EXPECT_EQ(verdict_of({{}, 31, 95.0f}), Verdict::TooManyErrors);
  EXPECT_EQ(verdict_of({{}, 0, 79.9f}), Verdict::TooSlow);
  EXPECT_EQ(verdict_of({{}, 31, 79.9f}), Verdict::NotYet);
}

}  // namespace
}  // namespace tutor::lessonkit
