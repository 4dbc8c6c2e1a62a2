#pragma once

#include <cstdint>

namespace tutor {

// The local time of day in milliseconds since midnight, as every real back
// end reads it.
[[nodiscard]] std::int64_t local_milliseconds_of_day();

}  // namespace tutor
