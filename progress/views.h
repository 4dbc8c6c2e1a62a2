#pragma once

#include <array>
#include <map>

#include "console/console.h"
#include "history/history.h"
#include "lessonkit/key_table.h"
#include "progress/miss_names.h"
#include "progress/overview.h"

// The four views of the progress program, each drawn inside the frame round
// them; a view with nothing to show says so instead.
namespace tutor::progress {

// Speed over time: a line for each course, the pass line and the marks.
void draw_speed(Console& con, const Overview& o);

// The timed test's evaluations over time, on a scale of grades.
void draw_timed_test(Console& con, const Overview& o);

// Right and wrong keystrokes per key over the recent blocks, and the keys
// typed instead.
struct RecentMisses {
  // Sums of a history that may have been edited: kept wide enough for any.
  std::array<long long, lessonkit::kKeyCount + 1> right{};
  std::array<long long, lessonkit::kKeyCount + 1> wrong{};
  std::map<MissPair, long long> pairs;
};
// The misses of the last kRecentBlocks blocks of `h`.
[[nodiscard]] RecentMisses recent_misses(const history::History& h);
// The keys coloured by their miss rate, and the misses most made.
void draw_missed_keys(Console& con, const RecentMisses& m);

// The time, blocks and keystrokes of the whole history, and each program's
// best and latest evaluation.
void draw_totals(Console& con, const Overview& o);

}  // namespace tutor::progress
