#include <gtest/gtest.h>

#include <set>

#include "challenges/check_score.h"
#include "challenges/game_rules.h"
#include "challenges/passage_grades.h"
#include "challenges/week_choice.h"

namespace tutor::challenges {
namespace {

TEST(CheckScore, AccuracyCountsMoreThanSpeed) {
  // 300 keystrokes in a minute: none wrong, one wrong, many wrong.
  EXPECT_EQ(check_score(300, 0, 60), 300);
  EXPECT_EQ(check_score(299, 1, 60), 297);   // 300 × (299/300)³ = 297.0
  EXPECT_EQ(check_score(240, 60, 60), 154);  // 300 × 0.8³ = 153.6
  EXPECT_EQ(check_score(150, 150, 60), 38);  // 300 × 0.5³ = 37.5, rounded up
  // Half a minute at the same pace scores the same; nothing typed, nothing right, no time: 0.
  EXPECT_EQ(check_score(150, 0, 30), 300);
  EXPECT_EQ(check_score(0, 0, 60), 0);
  EXPECT_EQ(check_score(0, 40, 60), 0);
  EXPECT_EQ(check_score(100, 0, 0), 0);
  // Slower and exact beats faster and careless.
  EXPECT_GT(check_score(200, 0, 60), check_score(255, 45, 60));  // 184: 15 % wrong
}

TEST(CheckScore, EveryScoreHasOneRankAndTheNextIsAbove) {
  EXPECT_EQ(rank_of(-5).name, kCheckRanks.front().name);
  EXPECT_EQ(rank_of(0).name, "めばえ");
  EXPECT_EQ(rank_of(49).name, "めばえ");
  EXPECT_EQ(rank_of(50).name, "ふたば");
  EXPECT_EQ(rank_of(399).name, "はやて");
  EXPECT_EQ(rank_of(400).name, "いなずま");
  EXPECT_EQ(rank_of(5000).name, kCheckRanks.back().name);
  EXPECT_EQ(next_rank_from(0), 50);
  EXPECT_EQ(next_rank_from(450), 500);
  EXPECT_EQ(next_rank_from(600), std::nullopt);
  for (std::size_t i = 1; i < kCheckRanks.size(); ++i) {
    EXPECT_LT(kCheckRanks[i - 1].from, kCheckRanks[i].from);
  }
}

TEST(WeekChoice, IsoWeeksRoundTheNewYear) {
  EXPECT_EQ(iso_week({2026, 12, 8}), (IsoWeek{2026, 50}));
  EXPECT_EQ(iso_week({2026, 1, 1}), (IsoWeek{2026, 1}));    // a Thursday
  EXPECT_EQ(iso_week({2027, 1, 1}), (IsoWeek{2026, 53}));   // a Friday of 2026's last week
  EXPECT_EQ(iso_week({2024, 12, 30}), (IsoWeek{2025, 1}));  // a Monday of 2025's first
  EXPECT_EQ(iso_week({2021, 1, 3}), (IsoWeek{2020, 53}));
  EXPECT_EQ(iso_week({2021, 1, 4}), (IsoWeek{2021, 1}));
  EXPECT_EQ(iso_week({2028, 2, 29}), (IsoWeek{2028, 9}));
}

CivilDate next_day(CivilDate d) {
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  const int lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (++d.day > lengths[d.month - 1]) {
    d.day = 1;
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  return d;
}

TEST(WeekChoice, TheSameSetAllWeekAndAnotherTheWeekAfter) {
  constexpr std::size_t kSets = 53;
  // Day after day over three years, across a 53-week year: the set changes
  // on Mondays alone, always to another, and every set is taken.
  CivilDate day{2025, 12, 29};  // a Monday
  std::size_t set = week_set(iso_week(day), kSets);
  std::set<std::size_t> seen = {set};
  for (int n = 1; n < 3 * 371; ++n) {
    day = next_day(day);
    const std::size_t now = week_set(iso_week(day), kSets);
    EXPECT_LT(now, kSets);
    if (n % 7 == 0) {
      EXPECT_NE(now, set) << day.year << "-" << day.month << "-" << day.day;
    } else {
      EXPECT_EQ(now, set) << day.year << "-" << day.month << "-" << day.day;
    }
    seen.insert(now);
    set = now;
  }
  EXPECT_EQ(seen.size(), kSets);
}

TEST(PassageGrades, EachGradeAtItsBoundaryWithItsDeductions) {
  EXPECT_EQ(passage_grade(199, 0), std::nullopt);
  EXPECT_EQ(passage_grade(200, 0)->name, "4級");
  EXPECT_EQ(passage_grade(300, 0)->name, "3級");
  EXPECT_EQ(passage_grade(300, 1)->name, "4級");  // 299 after one off
  EXPECT_EQ(passage_grade(305, 5)->name, "3級");  // 300
  // From 準2級 a mistake costs three characters, from 準1級 five.
  EXPECT_EQ(passage_grade(400, 0)->name, "準2級");
  EXPECT_EQ(passage_grade(403, 1)->name, "準2級");
  EXPECT_EQ(passage_grade(402, 1)->name, "3級");  // 399 at 準2級's rate, 401 at 3級's
  EXPECT_EQ(passage_grade(500, 0)->name, "2級");
  EXPECT_EQ(passage_grade(530, 10)->name, "2級");
  EXPECT_EQ(passage_grade(529, 10)->name, "準2級");
  EXPECT_EQ(passage_grade(600, 0)->name, "準1級");
  EXPECT_EQ(passage_grade(625, 5)->name, "準1級");
  EXPECT_EQ(passage_grade(624, 5)->name, "2級");  // 599 at 準1級's, 609 at 2級's
  EXPECT_EQ(passage_grade(700, 0)->name, "1級");
  EXPECT_EQ(passage_grade(750, 10)->name, "1級");
  EXPECT_EQ(passage_grade(749, 10)->name, "準1級");
  EXPECT_EQ(passage_grade(900, 200)->name, "3級");   // 700 at one a mistake, 300 at three
  EXPECT_EQ(passage_grade(900, 701), std::nullopt);  // many mistakes undo any speed
}

TEST(PassageGrades, AShorterRunIsGradedAtItsPaceForTenMinutes) {
  const TenMinutePace five = at_ten_minutes(251, 1, 5);
  EXPECT_EQ(five.characters, 502);
  EXPECT_EQ(five.mistakes, 2);
  EXPECT_EQ(five.grade->name, "準2級");  // 496 at 2級's rate
  const TenMinutePace three = at_ten_minutes(100, 1, 3);
  EXPECT_EQ(three.characters, 333);  // rounded down, the mistakes up
  EXPECT_EQ(three.mistakes, 4);
  EXPECT_EQ(three.grade->name, "3級");
  const TenMinutePace ten = at_ten_minutes(700, 0, 10);
  EXPECT_EQ(ten.characters, 700);
  EXPECT_EQ(ten.grade->name, "1級");
  EXPECT_EQ(at_ten_minutes(10, 0, 0).characters, 100);  // a minute at the least
}

TEST(GameClock, WordsInTimeGiveTimeBackAndMissesCostSome) {
  const GameCourse course = *game_course(60);
  EXPECT_EQ(game_course(75), std::nullopt);
  GameClock clock(course, 1000);
  EXPECT_EQ(clock.remaining_ms(1000), 60000);
  clock.word_comes(1000);
  EXPECT_TRUE(clock.word_typed(3000));
  EXPECT_EQ(clock.remaining_ms(3000), 58000 + course.bonus_ms);
  clock.word_comes(3000);
  clock.missed(3500);
  EXPECT_EQ(clock.remaining_ms(3500), 57500 + course.bonus_ms - course.miss_cost_ms);
  // A word left on show past its life has gone: typing it then scores nothing.
  EXPECT_TRUE(clock.word_left(3000 + course.word_life_ms));
  EXPECT_FALSE(clock.word_typed(3000 + course.word_life_ms));
  clock.word_comes(3000 + course.word_life_ms);
  EXPECT_EQ(clock.words_left(), 1);
  EXPECT_EQ(clock.words_typed(), 1);
  EXPECT_EQ(clock.misses(), 1);
  // The end: no word scores, no miss counts, and misses never run past now.
  GameClock short_one(course, 0);
  for (int i = 0; i < 200; ++i) {
    short_one.missed(100);
  }
  EXPECT_TRUE(short_one.over(100));
  EXPECT_EQ(short_one.misses(), 120);  // 60 s at half a second a miss
  short_one.word_comes(100);
  EXPECT_FALSE(short_one.word_typed(100));
}

}  // namespace
}  // namespace tutor::challenges
