#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The arithmetic of the progress charts, apart from drawing.
namespace tutor::progress {

// Seconds from 1970-01-01 00:00 of the local wall time an ISO 8601 time
// ("2026-12-07T10:15:30+09:00") reads, its offset aside: a chart of one
// learner's days reads as their clock did. Nothing for a malformed time.
[[nodiscard]] std::optional<std::int64_t> wall_seconds(std::string_view iso);
// The moment an ISO 8601 time names, as seconds since 1970-01-01 00:00 UTC:
// times kept under different offsets (a move, daylight saving) put in order.
// A time without an offset reads as UTC. Nothing for a malformed time.
[[nodiscard]] std::optional<std::int64_t> utc_seconds(std::string_view iso);
// "2026-12-07" for wall seconds.
[[nodiscard]] std::string day_text(std::int64_t wall_seconds);
// "2026-12-07 10:15" for wall seconds.
[[nodiscard]] std::string minute_text(std::int64_t wall_seconds);

inline constexpr std::int64_t kSecondsPerDay = 86400;

// A linear scale from values to positions.
struct Axis {
  double lo;
  double hi;
  int from;  // the position of lo
  int to;    // the position of hi
  [[nodiscard]] int at(double v) const;
};

struct ChartPoint {
  std::int64_t t;  // wall seconds
  double value;
  bool failed = false;  // a block not passed, a timed test below zero
};

// The points of each period of `days` days (counted from 1970-01-01) merged
// into one: their mean, at the period's middle (a day's noon), failed only
// when every one of them failed. The points come in the order of their times.
[[nodiscard]] std::vector<ChartPoint> by_period(std::span<const ChartPoint> points, int days);

// Whether two neighbouring points of a series would stand closer than
// `min_gap` positions apart on `x`.
[[nodiscard]] bool crowded(std::span<const ChartPoint> points, const Axis& x, int min_gap);

// The step of a value axis with `intervals` intervals reaching `top`: the
// first of 20, 30, 40, 50, 100, 150, 200, 250, 300, ... that fits.
[[nodiscard]] int value_step(double top, int intervals);

// A number written as the result screen shows one ("1,234.5") read back.
[[nodiscard]] double number_of(std::string_view shown);

}  // namespace tutor::progress
