#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/records.h"

// The grade table of the timed test and the best-grade record RANK.TXT. Header
// only, so that the record-clearing program can show the grade names without
// linking the timed test.
namespace tutor::trytest {

inline constexpr int kGradeCount = 67;

// clang-format off
// SRANK$: grade names by grade index 1-67; index 0 has the empty name.
inline constexpr std::array<std::string_view, kGradeCount + 1> kGradeNames = {
    "",
    "０級", "10級", "９級", "８級", "７級", "６級",
    "５級", "４級", "３級", "２級", "１級", "初段",
    "２段", "３段", "４段", "５段", "６段", "７段",
    "８段", "９段", "10段", "11段", "12段", "13段",
    "14段", "15段", "16段", "17段", "18段", "19段",
    "20段", "21段", "22段", "23段", "24段", "25段",
    "26段", "27段", "28段", "29段", "30段", "31段",
    "32段", "33段", "34段", "35段", "36段", "37段",
    "38段", "39段", "40段", "41段", "42段", "43段",
    "44段", "45段", "46段", "47段", "48段", "49段",
    "50段", "51段", "52段", "53段", "54段", "55段",
    "名人",
};

// IRANK: the smallest evaluation too high for each grade; index 0 has none.
inline constexpr std::array<int, kGradeCount + 1> kGradeThresholds = {
    0,
    0,    10,   60,   120,  180,  240,  300,  360,  420,  480,
    540,  600,  660,  720,  780,  840,  900,  960,  1020, 1080,
    1140, 1200, 1260, 1320, 1380, 1440, 1500, 1560, 1620, 1680,
    1740, 1800, 1860, 1920, 1980, 2040, 2100, 2160, 2220, 2280,
    2340, 2400, 2460, 2520, 2580, 2640, 2700, 2760, 2820, 2880,
    2940, 3000, 3060, 3120, 3180, 3240, 3300, 3360, 3420, 3480,
    3540, 3600, 3660, 3720, 3780, 3840, 100000,
};
// clang-format on

// The grade name of index 0-67; the empty name for any other index.
[[nodiscard]] constexpr std::string_view grade_name(int index) {
  return index >= 0 && index <= kGradeCount ? kGradeNames[static_cast<size_t>(index)] : "";
}

// The grade an evaluation earns: the first index whose threshold is above it.
// An evaluation at or above the closing threshold 100000 still earns "名人".
[[nodiscard]] constexpr int grade_of(double evaluation) {
  for (int i = 1; i <= kGradeCount; ++i) {
    if (kGradeThresholds[static_cast<size_t>(i)] > evaluation) {
      return i;
    }
  }
  return kGradeCount;
}

// Where the best grade index is kept, relative to the working directory.
inline constexpr std::string_view kRankRecord = "././M0/data/RANK.TXT";

// The best grade index a RANK.TXT line holds. A missing file, a line that is
// not a whole number, or a number outside 0-67 reads as 1, no grade yet, so
// that no index outside the table is ever used. A stored 0 stays 0.
[[nodiscard]] inline int best_grade_from_record(const std::optional<std::string>& line) {
  const std::optional<int> n = line ? parse_whole_number(*line) : std::nullopt;
  return n && *n >= 0 && *n <= kGradeCount ? *n : 1;
}

// RANK: the best grade index reached so far.
[[nodiscard]] inline int read_best_grade(Console& con) {
  return best_grade_from_record(con.read_record(kRankRecord));
}

// Replaces RANK.TXT with `grade` when it beats `best`, crash-safely; an equal
// or lower grade leaves the file untouched. A record that cannot be written
// shows the fatal error box.
inline void store_better_grade(Console& con, int grade, int best) {
  if (grade > best && !con.replace_record(kRankRecord, std::to_string(grade))) {
    con.fatal_error();
  }
}

}  // namespace tutor::trytest
