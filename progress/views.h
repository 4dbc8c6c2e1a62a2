#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

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
// The misses of the last kRecentBlocks blocks of `h`, those typed in kana
// input left out.
[[nodiscard]] RecentMisses recent_misses(const history::History& h);
// The keys coloured by their miss rate, and the misses most made.
void draw_missed_keys(Console& con, const RecentMisses& m);

// The time, blocks and keystrokes of the whole history, and each program's
// best and latest evaluation.
void draw_totals(Console& con, const Overview& o);

// The word course's lessons, each input's on a line of its own: blocks, the
// best and the latest evaluation; and one line of what to practise next.
struct WordLesson {
  std::string lesson;  // as the history names it: "3", "l3", a file's name, "missed"
  std::string input;
  int blocks = 0;
  double best = -1;  // of the passed blocks; -1 for none
  std::string best_shown;
  std::string latest_shown;
};
struct WordLessons {
  std::vector<WordLesson> lessons;  // the most recently typed first
  std::string next;                 // "つぎは：…"
};
[[nodiscard]] WordLessons word_lessons(Console& con, const std::filesystem::path& history);
void draw_word_lessons(Console& con, const WordLessons& w);

}  // namespace tutor::progress
