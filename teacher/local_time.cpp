#include "teacher/local_time.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace tutor::teacher {
namespace {

std::tm local_tm(std::int64_t moment) {
  const auto t = static_cast<std::time_t>(moment);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

std::string formatted(const char* format, int a, int b, int c) {
  char text[48];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

constexpr std::array<std::string_view, 7> kWeekdays = {"日", "月", "火", "水", "木", "金", "土"};

}  // namespace

std::int64_t week_start(std::time_t now) {
  std::tm tm{};
  localtime_r(&now, &tm);
  tm.tm_mday -= (tm.tm_wday + 6) % 7;  // back to Monday
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;  // whatever the clock read at that midnight
  return static_cast<std::int64_t>(std::mktime(&tm));
}

int utc_offset_s(std::time_t now) {
  std::tm tm{};
  localtime_r(&now, &tm);
  return static_cast<int>(tm.tm_gmtoff);
}

std::string local_date(std::int64_t moment) {
  const std::tm tm = local_tm(moment);
  return formatted("%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string japanese_date(std::int64_t moment) {
  const std::tm tm = local_tm(moment);
  return formatted("%d年%d月%d日", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + "（" +
         std::string(kWeekdays[static_cast<size_t>(tm.tm_wday)]) + "）";
}

std::string short_date(std::int64_t moment, int year) {
  const std::tm tm = local_tm(moment);
  const std::string month_day = std::to_string(tm.tm_mon + 1) + "/" + std::to_string(tm.tm_mday);
  return tm.tm_year + 1900 == year ? month_day
                                   : std::to_string(tm.tm_year + 1900) + "/" + month_day;
}

int local_year(std::int64_t moment) {
  return local_tm(moment).tm_year + 1900;
}

std::string day_date(std::int64_t day) {
  const auto t = static_cast<std::time_t>(day * 86400);
  std::tm tm{};
  gmtime_r(&t, &tm);
  return formatted("%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

}  // namespace tutor::teacher
