#pragma once

#include <cstddef>

// Which of the level check's sets is this week's: chosen by the ISO 8601
// week of the learner's local date alone, so that every computer of a
// class takes the same set all week, and another the week after.
namespace tutor::challenges {

struct CivilDate {
  int year = 2000;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
};

struct IsoWeek {
  int year = 2000;  // the ISO year, which round the new year may be the one before or after
  int week = 1;     // 1-53
  friend bool operator==(const IsoWeek&, const IsoWeek&) = default;
};

[[nodiscard]] IsoWeek iso_week(CivilDate date);

// The set of `sets` for the week. Weeks follow one another as one count,
// across the years, so two weeks in a row never take the same set.
[[nodiscard]] std::size_t week_set(IsoWeek week, std::size_t sets);

}  // namespace tutor::challenges
