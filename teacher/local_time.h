#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// The clock and calendar of the machine a report is made on: its week, its
// days and how its dates are written.
namespace tutor::teacher {

// The moment this week began: the last Monday 00:00 local time, at or before `now`.
[[nodiscard]] std::int64_t week_start(std::time_t now);

// Seconds east of UTC local time is at `now`.
[[nodiscard]] int utc_offset_s(std::time_t now);

// The local date of a moment: "2026-12-07".
[[nodiscard]] std::string local_date(std::int64_t moment);

// The local date of a moment the Japanese way: "2026年12月7日（月）".
[[nodiscard]] std::string japanese_date(std::int64_t moment);

// A local date short, its year left out when it is `year`: "12/7", "2025/12/7".
[[nodiscard]] std::string short_date(std::int64_t moment, int year);

// The local year of a moment.
[[nodiscard]] int local_year(std::int64_t moment);

// A day counted from 1970-01-01 as its date: "2026-12-07".
[[nodiscard]] std::string day_date(std::int64_t day);

}  // namespace tutor::teacher
