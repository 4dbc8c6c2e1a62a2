#include "console/local_clock.h"

#include <ctime>

namespace tutor {

std::int64_t local_milliseconds_of_day() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000LL +
         now.tv_nsec / 1'000'000;
}

}  // namespace tutor
