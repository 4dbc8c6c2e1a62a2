#include "challenges/week_choice.h"

namespace tutor::challenges {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long days_from_civil(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return static_cast<long long>(era) * 146097 + day_of_era - 719468;
}

// 1 Monday ... 7 Sunday; 1970-01-01 was a Thursday.
int iso_weekday(long long days) {
  const long long from_monday = ((days + 3) % 7 + 7) % 7;
  return static_cast<int>(from_monday) + 1;
}

// The Monday of week 1 of an ISO year: the week with the year's first Thursday.
long long first_monday(int year) {
  const long long january_4 = days_from_civil(year, 1, 4);
  return january_4 - (iso_weekday(january_4) - 1);
}

// Weeks since a Monday long before any learner's clock.
long long week_count(IsoWeek week) {
  return (first_monday(week.year) - first_monday(1970)) / 7 + week.week - 1;
}

}  // namespace

IsoWeek iso_week(CivilDate date) {
  const long long days = days_from_civil(date.year, date.month, date.day);
  int year = date.year;
  if (days < first_monday(year)) {
    --year;
  } else if (days >= first_monday(year + 1)) {
    ++year;
  }
  return IsoWeek{year, static_cast<int>((days - first_monday(year)) / 7) + 1};
}

std::size_t week_set(IsoWeek week, std::size_t sets) {
  if (sets == 0) {
    return 0;
  }
  const long long count = week_count(week);
  const long long n = static_cast<long long>(sets);
  return static_cast<std::size_t>(((count % n) + n) % n);
}

}  // namespace tutor::challenges
