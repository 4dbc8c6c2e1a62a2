#include "progress/chart.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tutor::progress {

std::optional<std::int64_t> wall_seconds(std::string_view iso) {
  // "YYYY-MM-DDTHH:MM:SS", read by hand: a long history has thousands.
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
  if (iso.size() < kShape.size()) {
    return std::nullopt;
  }
  for (size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = iso[i] >= '0' && iso[i] <= '9';
    if (kShape[i] == 'd' ? !digit : iso[i] != kShape[i]) {
      return std::nullopt;
    }
  }
  auto number = [&](size_t at, size_t digits) {
    int n = 0;
    for (size_t i = at; i < at + digits; ++i) {
      n = n * 10 + (iso[i] - '0');
    }
    return n;
  };
  const int y = number(0, 4), mo = number(5, 2), d = number(8, 2);
  const int h = number(11, 2), mi = number(14, 2), s = number(17, 2);
  const std::chrono::year_month_day day{std::chrono::year(y), std::chrono::month(unsigned(mo)),
                                        std::chrono::day(unsigned(d))};
  if (!day.ok()) {
    return std::nullopt;
  }
  const auto days = std::chrono::sys_days(day).time_since_epoch().count();
  return std::int64_t(days) * kSecondsPerDay + h * 3600 + mi * 60 + s;
}

std::optional<std::int64_t> utc_seconds(std::string_view iso) {
  const std::optional<std::int64_t> wall = wall_seconds(iso);
  const std::string_view offset = wall ? iso.substr(19) : "";  // "+09:00", "Z" or nothing
  if (!wall || offset.empty() || offset == "Z") {
    return wall;
  }
  constexpr std::string_view kShape = "+dd:dd";
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (offset.size() != kShape.size() || (offset[0] != '+' && offset[0] != '-') ||
      !digit(offset[1]) || !digit(offset[2]) || offset[3] != ':' || !digit(offset[4]) ||
      !digit(offset[5])) {
    return std::nullopt;
  }
  const int east = ((offset[1] - '0') * 10 + (offset[2] - '0')) * 3600 +
                   ((offset[4] - '0') * 10 + (offset[5] - '0')) * 60;
  return *wall - (offset[0] == '+' ? east : -east);
}

std::string day_text(std::int64_t wall_seconds) {
  const auto days = std::chrono::sys_days(std::chrono::days(
      wall_seconds >= 0 ? wall_seconds / kSecondsPerDay : (wall_seconds + 1) / kSecondsPerDay - 1));
  const std::chrono::year_month_day ymd(days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                unsigned(ymd.day()));
  return text;
}

std::string minute_text(std::int64_t wall_seconds) {
  const std::int64_t of_day = ((wall_seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", int(of_day / 3600), int(of_day / 60 % 60));
  return day_text(wall_seconds) + " " + text;
}

int Axis::at(double v) const {
  if (hi == lo) {
    return (from + to) / 2;
  }
  const double f = std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
  return from + static_cast<int>(std::lround(f * (to - from)));
}

std::vector<ChartPoint> by_period(std::span<const ChartPoint> points, int days) {
  const std::int64_t length = days * kSecondsPerDay;
  std::vector<ChartPoint> merged;
  int in_period = 0;
  for (const ChartPoint& p : points) {
    const std::int64_t middle = p.t - ((p.t % length) + length) % length + length / 2;
    if (!merged.empty() && merged.back().t == middle) {
      ++in_period;
      merged.back().value += (p.value - merged.back().value) / in_period;  // running mean
      merged.back().failed = merged.back().failed && p.failed;
    } else {
      merged.push_back({middle, p.value, p.failed});
      in_period = 1;
    }
  }
  return merged;
}

bool crowded(std::span<const ChartPoint> points, const Axis& x, int min_gap) {
  for (size_t i = 1; i < points.size(); ++i) {
    if (std::abs(x.at(double(points[i].t)) - x.at(double(points[i - 1].t))) < min_gap) {
      return true;
    }
  }
  return false;
}

int value_step(double top, int intervals) {
  for (int scale = 1;; scale *= 10) {
    for (int base : {20, 30, 40, 50, 100, 150, 200, 250}) {
      if (double(base) * scale * intervals >= top) {
        return base * scale;
      }
    }
  }
}

double number_of(std::string_view shown) {
  char digits[32];
  size_t n = 0;
  for (char c : shown) {
    if (c != ',' && n + 1 < sizeof digits) {
      digits[n++] = c;
    }
  }
  digits[n] = '\0';
  return std::strtod(digits, nullptr);
}

}  // namespace tutor::progress
